// The font chooser driven through its controls inside OptionsFontExecute:
// which parts of its choice reach the view's font.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "viewers/text/Font.h"
#include "viewers/text/FontDialog.h"
#include "viewers/text/TextViewer.h"

namespace {

// Runs the command; `drive` works the chooser's controls once it is open.
void runChooser(TMemo& memo, const std::function<void(TFontDialog&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isModal());
        drive(*dialog);
        driven = true;
        if (dialog->isVisible()) dialog->reject();
    });
    OptionsFontExecute(memo, nullptr);
    EXPECT_TRUE(driven);
}

void pressOk(TFontDialog& dialog) {
    ASSERT_TRUE(dialog.OkButton()->isEnabled());
    dialog.OkButton()->click();
}

QString anotherFace(const TFontDialog& dialog, const QString& than) {
    for (int i = 0; i < dialog.FaceBox()->count(); ++i)
        if (dialog.FaceBox()->itemText(i).compare(than, Qt::CaseInsensitive) != 0)
            return dialog.FaceBox()->itemText(i);
    return {};
}

int otherScriptIndex(const QComboBox& box) {
    for (int i = 0; i < box.count(); ++i)
        if (i != box.currentIndex()) return i;
    return -1;
}

}  // namespace

TEST(FontDialog, OpensWithTheViewsFont) {
    TMemo memo;
    memo.Font()->SetStyle(TFont::fsItalic | TFont::fsStrikeOut);
    runChooser(memo, [](TFontDialog& d) {
        EXPECT_EQ(d.FaceBox()->currentText(), "MS Sans Serif");
        EXPECT_EQ(d.SizeBox()->currentText(), "8");
        EXPECT_FALSE(d.BoldBox()->isChecked());
        EXPECT_TRUE(d.ItalicBox()->isChecked());
        EXPECT_FALSE(d.UnderlineBox()->isChecked());
        EXPECT_TRUE(d.StrikeOutBox()->isChecked());
        EXPECT_EQ(d.ScriptBox()->currentData().toInt(), 1);
        // The face it came with is accepted even where it is not installed.
        EXPECT_TRUE(d.OkButton()->isEnabled());
        EXPECT_EQ(d.findChildren<QPushButton*>().size(), 2);  // OK and Cancel only
    });
}

TEST(FontDialog, AnotherFaceTakesItsCharacterSet) {
    TMemo memo;
    int shownCharset = -1;
    QString face;
    runChooser(memo, [&](TFontDialog& d) {
        face = anotherFace(d, "MS Sans Serif");
        ASSERT_FALSE(face.isEmpty());
        d.FaceBox()->setEditText(face);
        shownCharset = d.ScriptBox()->currentData().toInt();
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Name(), face);
    EXPECT_EQ(memo.Font()->Charset(), shownCharset);
    EXPECT_NE(shownCharset, 1);  // "Default" is no script of a real face
    EXPECT_EQ(memo.Font()->Color(), TFont::kWindowTextColor);
}

TEST(FontDialog, SameFaceInOtherCaseKeepsTheCharacterSet) {
    TMemo memo;
    memo.Font()->SetCharset(204);
    runChooser(memo, [](TFontDialog& d) {
        d.FaceBox()->setEditText("ms sans serif");
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Name(), "ms sans serif");
    EXPECT_EQ(memo.Font()->Charset(), 204);
}

TEST(FontDialog, ChangedScriptIsTaken) {
    TMemo memo;
    int chosen = -1;
    runChooser(memo, [&](TFontDialog& d) {
        const int index = otherScriptIndex(*d.ScriptBox());
        ASSERT_GE(index, 0);
        d.ScriptBox()->setCurrentIndex(index);
        chosen = d.ScriptBox()->currentData().toInt();
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Charset(), chosen);
    EXPECT_EQ(memo.Font()->Name(), "MS Sans Serif");
}

TEST(FontDialog, ColourOnlyWhenItsSelectionChanged) {
    TMemo memo;
    runChooser(memo, [](TFontDialog& d) { pressOk(d); });
    EXPECT_EQ(memo.Font()->Color(), TFont::kWindowTextColor);  // system colour kept

    int chosen = 0;
    runChooser(memo, [&](TFontDialog& d) {
        d.ColorBox()->setCurrentIndex((d.ColorBox()->currentIndex() + 3) % 16);
        chosen = d.ColorBox()->currentData().toInt();
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Color(), chosen);
    EXPECT_EQ(memo.Font()->Charset(), 1);
}

TEST(FontDialog, SizeAndStylesAsChosen) {
    TMemo memo;
    memo.Font()->SetHeight(-14);  // 10.5 points: no whole point size gives it
    runChooser(memo, [](TFontDialog& d) { pressOk(d); });
    EXPECT_EQ(memo.Font()->Height(), -14);

    runChooser(memo, [](TFontDialog& d) {
        d.SizeBox()->setEditText("12");
        d.BoldBox()->setChecked(true);
        d.UnderlineBox()->setChecked(true);
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Height(), -TFont::MulDiv(12, memo.Font()->PixelsPerInch(), 72));
    EXPECT_EQ(memo.Font()->Style(), TFont::fsBold | TFont::fsUnderline);
    EXPECT_EQ(memo.Font()->Pitch(), TFont::fpDefault);

    // A cell height (from stored settings) shows as points and is kept.
    memo.Font()->SetHeight(16);
    const QString points = QString::number(TFont::MulDiv(16, 72, memo.Font()->PixelsPerInch()));
    runChooser(memo, [&](TFontDialog& d) {
        EXPECT_EQ(d.SizeBox()->currentText(), points);
        EXPECT_TRUE(d.OkButton()->isEnabled());
        pressOk(d);
    });
    EXPECT_EQ(memo.Font()->Height(), 16);
}

TEST(FontDialog, OnlyExistingFacesAreAccepted) {
    TMemo memo;
    runChooser(memo, [](TFontDialog& d) {
        d.FaceBox()->setEditText("No Such Face 4711");
        EXPECT_FALSE(d.OkButton()->isEnabled());
        d.FaceBox()->setEditText(anotherFace(d, "").toUpper());
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.SizeBox()->setEditText("");
        EXPECT_FALSE(d.OkButton()->isEnabled());
    });
}

TEST(FontDialog, CancelChangesNothing) {
    TMemo memo;
    memo.Font()->SetColor(0x00123456);
    TFont before;
    before.Assign(*memo.Font());
    runChooser(memo, [](TFontDialog& d) {
        d.FaceBox()->setEditText(anotherFace(d, "MS Sans Serif"));
        d.SizeBox()->setEditText("30");
        d.BoldBox()->setChecked(true);
        d.ColorBox()->setCurrentIndex(2);
        d.ScriptBox()->setCurrentIndex(d.ScriptBox()->count() - 1);
        d.CancelButton()->click();
    });
    for (const char* p : {"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"})
        EXPECT_EQ(memo.Font()->property(p), before.property(p)) << p;
}
