#pragma once

#include <QObject>
#include <QString>

#include "base/Colour.h"
#include "host/Product.h"

class QColor;
class QFont;
class QPalette;

/**
 * A font as the stored settings know it: face name, height (negative: the
 * character height in pixels; positive: the cell height), style set, colour
 * (0x00BBGGRR, or a system colour with the top bit set), character set and
 * pitch. Size is the point size derived from Height at the owner's pixels
 * per inch: positive for a character height, negative for a cell height.
 * The properties are published in this order, which is the order the
 * settings store writes and applies them in. Changed fires after every
 * change so that the owner redraws.
 */
class TFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)

public:
    enum TFontPitch { fpDefault, fpVariable, fpFixed };
    Q_ENUM(TFontPitch)

    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    static constexpr int kDefaultCharset = 1;  // DEFAULT_CHARSET
    static constexpr int kWindowTextColor = int(clWindowText);
    static constexpr int kDefaultHeight = -11;
    /// Heights (pixels) and sizes (points) beyond these are no font: stored
    /// settings may hold anything, and such values count as unreadable ones,
    /// which set 0 (the default size). The size is the font chooser's largest.
    static constexpr int kMaxHeight = 1 << 17;
    static constexpr int kMaxSize = 16384;

    explicit TFont(QObject* parent = nullptr);

    int Charset() const { return charset_; }
    int Color() const { return color_; }
    int Height() const { return height_; }
    QString Name() const { return name_; }
    TFontPitch Pitch() const { return pitch_; }
    int Size() const;
    TFontStyles Style() const { return style_; }

    void SetCharset(int charset);
    void SetColor(int color);
    void SetHeight(int height);
    void SetName(const QString& name);
    void SetPitch(TFontPitch pitch);
    void SetSize(int points);
    void SetStyle(TFontStyles style);

    /// Copies every property (the pixels per inch stay the receiver's own).
    void Assign(const TFont& other);

    /// The dots per inch that relate Size to Height (96 until set).
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int dpi);

    /// The Qt font that draws this font; a missing face is left to the font
    /// system's substitution, the Name stays as set.
    QFont ToQFont() const;

    /// Windows' MulDiv: a * b / c in 64 bits, rounded half away from zero;
    /// -1 when c is 0.
    static int MulDiv(int a, int b, int c);

signals:
    void Changed();

private:
    int charset_ = kDefaultCharset;
    int color_ = kWindowTextColor;
    int height_ = kDefaultHeight;
    QString name_ = QLatin1String(kDefaultFaceName);
    TFontPitch pitch_ = fpDefault;
    TFontStyles style_;
    int pixelsPerInch_ = 96;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFont::TFontStyles)

/// A colour value (0x00BBGGRR, a system colour with the top bit set, or
/// clNone) as a QColor; system colours come from the palette. clNone and
/// unknown system colours give an invalid QColor.
QColor ColorToQColor(int color, const QPalette& palette);
