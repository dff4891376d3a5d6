// The compiled-in glyphs and program icon: every tool button's glyph must be
// present under its resource name as the picture its SVG source draws (the
// build draws them into raw glyph files, so that the window needs no SVG
// plugin and decodes nothing), at 16 pixels and at 32 for high-density
// screens; the icon must render through the SVG image plugin.

// ---- Qt
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <QSvgRenderer>

// ---- Test framework
#include <gtest/gtest.h>

// ---- Project
#include "host/ToolButton.h"

namespace {

// The shared glyphs the window's and the text view's tool buttons ask for
// (with the disabled forms of Back and Next); a missing one leaves a button
// blank. The image view's buttons have glyphs of its own, under :/image/.
const char* const kGlyphs[] = {
    "back",    "back-disabled",  "next",       "next-disabled", "select-file", "open",
    "execute", "execute-folder", "extensions", "about",         "word-wrap",   "font",
};

// Counts pixels that are not fully transparent: a glyph that renders empty
// (a broken path, a wrong viewBox) shows nothing on the button.
int paintedPixels(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) != 0) ++count;
    return count;
}

int distinctColours(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) colours.insert(argb.pixel(x, y));
    return int(colours.size());
}

// The glyph's source drawn here, as the build draws it.
QImage fromSource(const char* name, int size) {
    QSvgRenderer svg(
        QStringLiteral(TARVEL_SOURCE_DIR "/src/resources/glyphs/%1.svg").arg(QLatin1String(name)));
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!svg.isValid()) return {};
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

class GlyphTest : public ::testing::TestWithParam<const char*> {};

TEST_P(GlyphTest, LoadsAsPainted16x16PictureDrawnFromItsSource) {
    const QString path = QStringLiteral(":/glyphs/%1.glyph").arg(QLatin1String(GetParam()));
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();

    const QImage image = ReadGlyph(path);
    ASSERT_EQ(image.size(), QSize(16, 16));
    // Something is drawn, and it is a picture rather than one flat colour.
    EXPECT_GT(paintedPixels(image), 16);
    EXPECT_GE(distinctColours(image), 2);
    // The picture its source draws, at both sizes: not stale, not blank.
    const QString large = QStringLiteral(":/glyphs/%1@2x.glyph").arg(QLatin1String(GetParam()));
    for (const auto& [file, size] : {std::pair{path, 16}, std::pair{large, 32}}) {
        const QImage built = ReadGlyph(file);
        ASSERT_EQ(built.size(), QSize(size, size)) << file.toStdString();
        EXPECT_EQ(built.convertToFormat(QImage::Format_ARGB32),
                  fromSource(GetParam(), size).convertToFormat(QImage::Format_ARGB32))
            << file.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(AllButtons, GlyphTest, ::testing::ValuesIn(kGlyphs), [](const auto& info) {
    QString name = QString::fromLatin1(info.param);
    return name.replace('-', '_').toStdString();
});

TEST(GlyphTest, DisabledFormsDifferFromEnabledOnes) {
    for (const char* name : {"back", "next"}) {
        const QImage enabled =
            ReadGlyph(QStringLiteral(":/glyphs/%1.glyph").arg(QLatin1String(name)));
        const QImage disabled =
            ReadGlyph(QStringLiteral(":/glyphs/%1-disabled.glyph").arg(QLatin1String(name)));
        ASSERT_FALSE(enabled.isNull());
        ASSERT_FALSE(disabled.isNull());
        EXPECT_NE(enabled.convertToFormat(QImage::Format_ARGB32),
                  disabled.convertToFormat(QImage::Format_ARGB32))
            << name;
    }
}

TEST(ProgramIconTest, RendersAtEveryThemeSize) {
    const QString path = QStringLiteral(":/icons/tarvel-viewer.svg");
    ASSERT_TRUE(QFile::exists(path));
    const QIcon icon(path);
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QPixmap pixmap = icon.pixmap(size, size);
        ASSERT_FALSE(pixmap.isNull()) << size;
        EXPECT_EQ(pixmap.size(), QSize(size, size)) << size;
        EXPECT_GT(paintedPixels(pixmap.toImage()), size * size / 4) << size;
    }
}

}  // namespace
