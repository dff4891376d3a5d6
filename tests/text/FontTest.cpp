// The font object as the settings store sees it: property order, types,
// first-save values, and the Windows height and size arithmetic.

#include <gtest/gtest.h>

#include <climits>

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPalette>
#include <QSignalSpy>

#include "viewers/text/Font.h"
#include "viewers/text/TextViewer.h"

TEST(Font, PublishedPropertiesInStoredOrder) {
    TFont font;
    const QMetaObject* meta = font.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << meta->property(i).name();
    EXPECT_EQ(names, (QStringList{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));

    const QMetaEnum pitch = meta->property(meta->indexOfProperty("Pitch")).enumerator();
    EXPECT_FALSE(pitch.isFlag());
    EXPECT_STREQ(pitch.valueToKey(font.Pitch()), "fpDefault");
    EXPECT_EQ(pitch.keyToValue("fpFixed"), 2);

    const QMetaEnum style = meta->property(meta->indexOfProperty("Style")).enumerator();
    EXPECT_TRUE(style.isFlag());
    EXPECT_EQ(style.valueToKeys(TFont::fsBold | TFont::fsItalic), "fsBold|fsItalic");
    EXPECT_EQ(style.keyToValue("fsStrikeOut"), 8);
}

TEST(Font, PropertiesTakePlainNumbersAsTheStoreWritesThem) {
    TFont font;
    EXPECT_TRUE(font.setProperty("Style", 5));
    EXPECT_EQ(font.Style(), TFont::fsBold | TFont::fsUnderline);
    EXPECT_TRUE(font.setProperty("Pitch", 2));
    EXPECT_EQ(font.Pitch(), TFont::fpFixed);
    EXPECT_TRUE(font.setProperty("Color", -2147483643));  // clWindow, read as signed
    EXPECT_EQ(font.Color(), int(0x80000005u));
    EXPECT_TRUE(font.setProperty("Name", QString("Courier New")));
    EXPECT_EQ(font.Name(), "Courier New");

    TMemo memo;
    EXPECT_TRUE(memo.setProperty("ScrollBars", 3));
    EXPECT_EQ(memo.ScrollBars(), TMemo::ssBoth);
}

TEST(Font, DefaultsAsFirstSaved) {
    TFont font;
    font.SetPixelsPerInch(96);
    EXPECT_EQ(font.Charset(), 1);
    EXPECT_EQ(font.property("Color").toInt(), -2147483640);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Style(), TFont::TFontStyles());
}

TEST(Font, TheViewPublishesItsFontAsAnObject) {
    TMemo memo;
    const QMetaProperty property =
        memo.metaObject()->property(memo.metaObject()->indexOfProperty("Font"));
    ASSERT_TRUE(property.isValid());
    QObject* object = property.read(&memo).value<QObject*>();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object, memo.Font());
    // The name reads back unchanged even where no such face is installed.
    EXPECT_EQ(object->property("Name").toString(), "MS Sans Serif");
}

TEST(Font, SizeAndHeightFollowMulDiv) {
    EXPECT_EQ(TFont::MulDiv(8, 96, 72), 11);    // 10.67 rounds up
    EXPECT_EQ(TFont::MulDiv(-11, 72, 96), -8);  // -8.25
    EXPECT_EQ(TFont::MulDiv(3, 1, 2), 2);       // halves away from zero
    EXPECT_EQ(TFont::MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(TFont::MulDiv(5, 5, 0), -1);

    for (int dpi : {72, 96, 120, 144}) {
        TFont font;
        font.SetPixelsPerInch(dpi);
        for (int points : {1, 8, 10, 12, 36}) {
            font.SetSize(points);
            EXPECT_EQ(font.Height(), -TFont::MulDiv(points, dpi, 72));
            EXPECT_EQ(font.Size(), -TFont::MulDiv(font.Height(), 72, dpi));
        }
    }
    TFont font;
    font.SetHeight(16);  // a cell height: a negative size...
    EXPECT_EQ(font.Size(), -12);
    font.SetSize(font.Size());  // ...which gives the same height back, as at a restart
    EXPECT_EQ(font.Height(), 16);
    font.SetSize(0);
    EXPECT_EQ(font.Height(), 0);

    // Stored values beyond any font count as unreadable ones: 0, the default
    // size. The smallest int once reached a negation that has no result.
    for (int height : {INT_MIN, INT_MAX, -TFont::kMaxHeight - 1, TFont::kMaxHeight + 1}) {
        font.SetHeight(-11);
        EXPECT_TRUE(font.setProperty("Height", height));
        EXPECT_EQ(font.Height(), 0) << height;
        EXPECT_EQ(font.Size(), 0);
        EXPECT_GT(font.ToQFont().pointSizeF() + font.ToQFont().pixelSize(), 0);
    }
    for (int points : {INT_MIN, INT_MAX, TFont::kMaxSize + 1}) {
        font.SetSize(8);
        EXPECT_TRUE(font.setProperty("Size", points));
        EXPECT_EQ(font.Height(), 0) << points;
    }
    font.SetHeight(-TFont::kMaxHeight);
    EXPECT_EQ(font.ToQFont().pixelSize(), TFont::kMaxHeight);
    // The largest size of the chooser at a density where it has no height.
    font.SetPixelsPerInch(9437184);
    font.SetSize(-TFont::kMaxSize);
    EXPECT_EQ(font.Height(), 0);
}

TEST(Font, QtFontFollowsTheProperties) {
    TFont font;
    font.SetName("DejaVu Sans Mono");
    font.SetHeight(-20);
    font.SetStyle(TFont::fsBold | TFont::fsUnderline);
    font.SetPitch(TFont::fpFixed);
    const QFont q = font.ToQFont();
    EXPECT_EQ(q.family(), "DejaVu Sans Mono");
    EXPECT_EQ(q.pixelSize(), 20);
    EXPECT_TRUE(q.bold());
    EXPECT_FALSE(q.italic());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.strikeOut());
    EXPECT_TRUE(q.fixedPitch());
    font.SetHeight(30);  // cell height: the em comes out smaller
    EXPECT_LT(font.ToQFont().pixelSize(), 30);
    EXPECT_GT(font.ToQFont().pixelSize(), 15);
}

TEST(Font, ColoursResolve) {
    QPalette palette;
    palette.setColor(QPalette::Text, QColor(1, 2, 3));
    palette.setColor(QPalette::Base, QColor(4, 5, 6));
    EXPECT_EQ(ColorToQColor(int(0x80000008u), palette), QColor(1, 2, 3));
    EXPECT_EQ(ColorToQColor(int(0x80000005u), palette), QColor(4, 5, 6));
    EXPECT_EQ(ColorToQColor(0x00336699, palette), QColor(0x99, 0x66, 0x33));
    EXPECT_FALSE(ColorToQColor(0x1FFFFFFF, palette).isValid());
}

TEST(Font, ChangesReachTheView) {
    TMemo memo;
    QSignalSpy spy(memo.Font(), &TFont::Changed);
    memo.Font()->SetColor(0x000000FF);  // red
    memo.Font()->SetHeight(-25);
    memo.Font()->SetHeight(-25);  // no change, no signal
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(memo.palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(memo.font().pixelSize(), 25);

    // Back to the window-text system colour: the palette's, not the red.
    memo.Font()->SetColor(TFont::kWindowTextColor);
    EXPECT_EQ(memo.palette().color(QPalette::Text),
              QApplication::palette(&memo).color(QPalette::Text));
    EXPECT_NE(memo.palette().color(QPalette::Text), QColor(255, 0, 0));
}
