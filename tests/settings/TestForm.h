#pragma once

// ---- Qt ----
#include <QCloseEvent>
#include <QObject>
#include <QShowEvent>
#include <QString>
#include <QStringList>
#include <QWidget>

// ---- Standard library ----
#include <functional>

class TFormStorage;

// Stand-ins for the viewer controls: the same objectNames and the same
// Q_PROPERTY names, kinds and identifiers as the real ones, so the store is
// exercised exactly as on the main window without the viewer libraries.

namespace TTestAlign {
Q_NAMESPACE
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)
}  // namespace TTestAlign

/** An image view stand-in (imgImageDisplay, imgGifImageDisplay). */
class TTestImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TTestAlign::TAlign Align MEMBER Align)
    Q_PROPERTY(bool AutoSize MEMBER AutoSize)
    Q_PROPERTY(bool Stretch MEMBER Stretch)
public:
    using QWidget::QWidget;
    TTestAlign::TAlign Align = TTestAlign::alNone;
    bool AutoSize = true;
    bool Stretch = false;
};

/** A font stand-in with the seven properties in their declared order. */
class TTestFont : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Charset MEMBER Charset)
    Q_PROPERTY(int Color MEMBER Color)
    Q_PROPERTY(int Height MEMBER Height)
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(TFontPitch Pitch MEMBER Pitch)
    Q_PROPERTY(int Size MEMBER Size)
    Q_PROPERTY(TFontStyles Style READ style WRITE setStyle)
public:
    enum TFontPitch { fpDefault, fpVariable, fpFixed };
    Q_ENUM(TFontPitch)
    enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

    using QObject::QObject;
    int Charset = 1;
    int Color = int(0x80000008u);
    int Height = -11;
    QString Name = QStringLiteral("MS Sans Serif");
    TFontPitch Pitch = fpDefault;
    int Size = 8;
    TFontStyles Style;
    TFontStyles style() const { return Style; }
    void setStyle(TFontStyles value) { Style = value; }
};

/** A text view stand-in (txtText). */
class TTestMemo : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TScrollStyle ScrollBars MEMBER ScrollBars)
    Q_PROPERTY(TTestFont* Font READ Font)
public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)

    explicit TTestMemo(QWidget* parent) : QWidget(parent), font_(new TTestFont(this)) {}
    TTestFont* Font() const { return font_; }
    TScrollStyle ScrollBars = ssVertical;

private:
    TTestFont* font_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTestFont::TFontStyles)

/**
 * A main window stand-in wired as the real one is: the store takes over the
 * hooks at construction, FormCreate names the company and reads
 * "Extensions", FormDestroy writes it back.
 */
class TTestMainWindow : public QWidget {
    Q_OBJECT
public:
    TTestMainWindow();
    ~TTestMainWindow() override;

    std::function<void()> OnShow;
    std::function<bool()> OnCloseQuery;
    std::function<void()> OnDestroy;

    void FormCreate();
    void FormDestroy();

    TFormStorage* FormStorage1 = nullptr;
    TTestImage* imgImageDisplay = nullptr;
    TTestImage* imgGifImageDisplay = nullptr;
    TTestMemo* txtText = nullptr;
    QStringList FExtensions;
    int ShowHandlerCalls = 0;

    /// The main window's eight display properties, as its viewers keep them.
    static QStringList StoredProps();
    static QStringList DefaultExtensions();

    // The seams of the file-type command.
    QStringList& Extensions() { return FExtensions; }
    QString CurrentFolder() const { return FCurrentFolder; }
    void ScanFolder(const QString& folder) { ScannedFolders << folder; }
    QString FCurrentFolder;
    QStringList ScannedFolders;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool shown_ = false;
};
