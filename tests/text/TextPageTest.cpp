// The TEXT page inside the main window: its layout, the two commands and
// ShowFile's ".txt" route with the failures going to the error box.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QToolButton>

#include "TextTestFiles.h"
#include "app/Application.h"
#include "host/ActionList.h"
#include "viewers/text/TextViewer.h"
#include "window/MainWindowUnit.h"

namespace {

class TextPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.FormCreate();
        window_.OnShow = nullptr;  // no command line and no open dialog
        memo_ = InstallTextView(window_);
        TApplication::SetErrorSink([this](const QString& caption, const QString& text) {
            errors_ << caption + "|" + text;
        });
    }
    void TearDown() override { TApplication::SetErrorSink({}); }

    TextTestFiles files_;
    TMainWindow window_;
    TMemo* memo_ = nullptr;
    QStringList errors_;
};

}  // namespace

TEST_F(TextPageTest, LayoutKeepsItsMarginsOnResize) {
    QWidget* page = window_.Page("TEXT");
    ASSERT_EQ(memo_->parentWidget(), page);
    auto* toolbar = page->findChild<QWidget*>("panTextToolbar");
    auto* wrap = page->findChild<QToolButton*>("btnWordWarp");
    auto* font = page->findChild<QToolButton*>("btnFont");
    ASSERT_TRUE(toolbar && wrap && font);
    EXPECT_EQ(wrap->parentWidget(), toolbar);
    EXPECT_TRUE(wrap->autoRaise());

    window_.show();
    QApplication::processEvents();
    EXPECT_EQ(wrap->geometry(), QRect(8, 0, 23, 22));
    EXPECT_EQ(font->geometry(), QRect(32, 0, 23, 22));
    for (const QSize size : {QSize(696, 480), QSize(900, 700), QSize(400, 300)}) {
        window_.resize(size);
        QApplication::processEvents();
        const QRect memo = memo_->geometry();
        EXPECT_EQ(memo.left(), 8);
        EXPECT_EQ(memo.top(), 8);
        EXPECT_EQ(page->width() - (memo.right() + 1), 8);
        EXPECT_EQ(toolbar->geometry(), QRect(0, page->height() - 25, page->width(), 25));
        EXPECT_EQ(toolbar->y() - (memo.bottom() + 1), 15);
    }
}

TEST_F(TextPageTest, ButtonsRunTheirCommands) {
    TAction* wrap = window_.Action("OptionsWordWrap");
    window_.Page("TEXT")->findChild<QToolButton*>("btnWordWarp")->click();
    EXPECT_EQ(memo_->ScrollBars(), TMemo::ssBoth);
    EXPECT_TRUE(wrap->Execute());
    EXPECT_EQ(memo_->ScrollBars(), TMemo::ssVertical);
    EXPECT_TRUE(window_.Action("OptionsFont")->isEnabled());
}

TEST_F(TextPageTest, ShowFileLoadsTextFiles) {
    const QString path = files_.Write("a.txt", "one\ntwo\n");
    window_.ShowFile(path);
    EXPECT_EQ(memo_->Content(), "one\r\ntwo\r\n");
    EXPECT_EQ(window_.ActivePageName(), "TEXT");
    EXPECT_EQ(TApplication::Title(), path);
}

TEST_F(TextPageTest, FailuresReachTheErrorBoxAndKeepTheCaption) {
    const QString good = files_.Write("a.txt", "kept");
    window_.ShowFile(good);
    const QString missing = files_.Path("b.txt");
    TApplication::Guarded([&] { window_.ShowFile(missing); });
    memo_->SetCapacity(3);
    const QString big = files_.Write("c.txt", "four");
    TApplication::Guarded([&] { window_.ShowFile(big); });
    EXPECT_EQ(errors_, (QStringList{good + "|Cannot open file " + missing + ".",
                                    good + "|Text exceeds memo capacity."}));
    EXPECT_EQ(memo_->Content(), "kept");
    EXPECT_EQ(window_.ActivePageName(), "TEXT");
}
