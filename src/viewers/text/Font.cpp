#include "viewers/text/Font.h"

// Qt
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPalette>

// C++ standard library
#include <cmath>
#include <cstdint>

TFont::TFont(QObject* parent) : QObject(parent) {}

int TFont::MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const std::int64_t magnitude =
        (std::llabs(product) + std::llabs(std::int64_t(c)) / 2) / std::llabs(std::int64_t(c));
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

int TFont::Size() const {
    // The inverse of SetSize for either sign: a positive height (a cell
    // height) gives a negative size, so that the size stored and applied
    // after the height at the next start gives back the same height.
    // Heights are bounded, so the negation stays within range.
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetCharset(int charset) {
    charset = charset & 0xFF;
    if (charset == charset_) return;
    charset_ = charset;
    emit Changed();
}

void TFont::SetColor(int color) {
    if (color == color_) return;
    color_ = color;
    emit Changed();
}

void TFont::SetHeight(int height) {
    if (height < -kMaxHeight || height > kMaxHeight) height = 0;
    if (height == height_) return;
    height_ = height;
    emit Changed();
}

void TFont::SetName(const QString& name) {
    if (name == name_) return;
    name_ = name;
    emit Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_) return;
    pitch_ = pitch;
    emit Changed();
}

void TFont::SetSize(int points) {
    if (points < -kMaxSize || points > kMaxSize) points = 0;
    // In 64 bits: MulDiv may give INT_MIN, whose negation has no int.
    const std::int64_t height = -std::int64_t(MulDiv(points, pixelsPerInch_, 72));
    SetHeight(height < -kMaxHeight || height > kMaxHeight ? 0 : int(height));
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    emit Changed();
}

void TFont::SetPixelsPerInch(int dpi) {
    if (dpi > 0) pixelsPerInch_ = dpi;
}

void TFont::Assign(const TFont& other) {
    if (&other == this) return;
    {
        // One redraw for the whole copy.
        const QSignalBlocker blocker(this);
        SetCharset(other.charset_);
        SetColor(other.color_);
        SetHeight(other.height_);
        SetName(other.name_);
        SetPitch(other.pitch_);
        SetStyle(other.style_);
    }
    emit Changed();
}

QFont TFont::ToQFont() const {
    QFont font(name_);
    if (height_ < 0) {
        // A negative height is the em height: Qt's pixel size is the same measure.
        font.setPixelSize(-height_);
    } else if (height_ > 0) {
        // A positive height is the cell height (ascent + descent); scale the
        // em so that this face's cell comes out at that height.
        QFont probe(font);
        probe.setPixelSize(100);
        const QFontMetricsF metrics(probe);
        const qreal cell = metrics.ascent() + metrics.descent();
        const int em = cell > 0 ? int(std::lround(height_ * 100.0 / cell)) : height_;
        font.setPixelSize(em > 0 ? em : 1);
    }
    font.setBold(style_.testFlag(fsBold));
    font.setItalic(style_.testFlag(fsItalic));
    font.setUnderline(style_.testFlag(fsUnderline));
    font.setStrikeOut(style_.testFlag(fsStrikeOut));
    if (pitch_ == fpFixed) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    } else if (pitch_ == fpVariable) {
        font.setFixedPitch(false);
    }
    return font;
}

QColor ColorToQColor(int color, const QPalette& palette) {
    const TColor value = static_cast<TColor>(color);
    if (value == clNone) return {};
    if (IsSystemColor(value)) {
        // Windows system colour indexes (COLOR_*) onto palette roles.
        switch (value & 0xFFu) {
            case 1:
                return palette.color(QPalette::Window);  // desktop
            case 2:
                return palette.color(QPalette::Highlight);  // active caption
            case 3:
                return palette.color(QPalette::Mid);  // inactive caption
            case 4:
                return palette.color(QPalette::Window);  // menu
            case 5:
                return palette.color(QPalette::Base);  // window
            case 6:
                return palette.color(QPalette::Shadow);  // window frame
            case 7:
                return palette.color(QPalette::WindowText);  // menu text
            case 8:
                return palette.color(QPalette::Text);  // window text
            case 9:
                return palette.color(QPalette::HighlightedText);  // caption text
            case 0:                                               // scroll bar
            case 10:                                              // active border
            case 11:                                              // inactive border
            case 15:
                return palette.color(QPalette::Button);  // button face
            case 12:
                return palette.color(QPalette::Dark);  // app workspace
            case 13:
                return palette.color(QPalette::Highlight);
            case 14:
                return palette.color(QPalette::HighlightedText);
            case 16:
                return palette.color(QPalette::Dark);  // button shadow
            case 17:
                return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
            case 18:
                return palette.color(QPalette::ButtonText);
            case 19:
                return palette.color(QPalette::Disabled, QPalette::WindowText);
            case 20:
                return palette.color(QPalette::Light);  // button highlight
            case 21:
                return palette.color(QPalette::Shadow);  // 3D dark shadow
            case 22:
                return palette.color(QPalette::Midlight);  // 3D light
            case 23:
                return palette.color(QPalette::ToolTipText);
            case 24:
                return palette.color(QPalette::ToolTipBase);
            default:
                return {};
        }
    }
    return QColor(RedOf(value), GreenOf(value), BlueOf(value));
}
