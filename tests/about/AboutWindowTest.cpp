// The about box: its texts, its controls' names and places,
// the link handing the web page to the desktop once without closing the box,
// a failing hand-off staying silent, and the modal run that frees the box.

#include "about/AboutWindowUnit.h"

// ---- Project
#include "app/Application.h"
#include "base/Error.h"

// ---- Qt
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

// ---- Test framework
#include <gtest/gtest.h>

// ---- Standard library
#include <functional>

namespace {

/// Replaces the desktop hand-off and the error box with recorders, so that a
/// test opens nothing, and puts the originals back afterwards.
class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedOpenUrl_ = TAboutWindow::OpenUrl;
        TAboutWindow::OpenUrl = [this](const QString& address) { opened_ << address; };
        TApplication::SetErrorSink(
            [this](const QString&, const QString& text) { errors_ << text; });
    }
    void TearDown() override {
        TAboutWindow::OpenUrl = savedOpenUrl_;
        TApplication::SetErrorSink({});
    }

    template <class T>
    static T* child(const QWidget& box, const char* name) {
        return box.findChild<T*>(QLatin1String(name));
    }

    QStringList opened_;
    QStringList errors_;

private:
    std::function<void(const QString&)> savedOpenUrl_;
};

// Runs check while the box of HelpAboutExecute is open and modal, then lets
// the check close it; fails the test if the box never came up.
void whileModal(QWidget* owner, const std::function<void(TAboutWindow*)>& check) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TAboutWindow*>(QApplication::activeModalWidget());
        seen = box != nullptr;
        if (box) check(box);
        // Close whatever is still open, so that a failure cannot hang the run.
        for (auto* open : owner->findChildren<TAboutWindow*>())
            if (open->isVisible()) open->reject();
    });
    HelpAboutExecute(owner);
    EXPECT_TRUE(seen) << "the about box was not shown modally";
}

TEST_F(AboutWindowTest, ShowsTheProductTextsInOneLineEach) {
    TAboutWindow box;
    EXPECT_EQ(box.windowTitle(), "About");
    ASSERT_NE(child<QLabel>(box, "ProductName"), nullptr);
    EXPECT_EQ(child<QLabel>(box, "ProductName")->text(), "Tarvel HTML Viewer");
    ASSERT_NE(child<QLabel>(box, "Version"), nullptr);
    EXPECT_EQ(child<QLabel>(box, "Version")->text(), "Version 2.0");

    auto* notice = child<QLabel>(box, "Copyright");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().startsWith("Copyright ")) << notice->text().toStdString();
    EXPECT_TRUE(notice->text().endsWith("TarvelSoftware")) << notice->text().toStdString();
    EXPECT_FALSE(notice->text().contains('\n'));

    auto* link = child<QLabel>(box, "Comments");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), TAboutWindow::webPageAddress());
    EXPECT_TRUE(link->text().startsWith("https://")) << link->text().toStdString();

    auto* ok = child<QPushButton>(box, "OKButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

TEST_F(AboutWindowTest, ControlsHaveTheirPlacesAndSizes) {
    TAboutWindow box;
    EXPECT_EQ(box.size(), QSize(298, 213));
    EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "the box must not be resizable";

    auto* panel = child<QWidget>(box, "Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), &box);
    EXPECT_EQ(panel->geometry(), QRect(8, 8, 281, 161));

    struct Expected {
        const char* name;
        QPoint topLeft;
    };
    for (const Expected& e : {Expected{"ProgramIcon", {24, 24}}, Expected{"ProductName", {88, 16}},
                              Expected{"Version", {88, 40}}, Expected{"Copyright", {8, 80}},
                              Expected{"Comments", {8, 104}}}) {
        auto* label = child<QLabel>(box, e.name);
        ASSERT_NE(label, nullptr) << e.name;
        EXPECT_EQ(label->parentWidget(), panel) << e.name;
        EXPECT_EQ(label->pos(), e.topLeft) << e.name;
        // A label stays inside the panel, and a text label is wide enough for its text.
        EXPECT_TRUE(QRect(QPoint(), panel->size()).contains(label->geometry())) << e.name;
        if (!label->text().isEmpty() && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << e.name;
        }
    }
    EXPECT_EQ(child<QLabel>(box, "ProgramIcon")->size(), QSize(33, 33));
    auto* ok = child<QPushButton>(box, "OKButton");
    EXPECT_EQ(ok->geometry(), QRect(111, 180, 75, 25));

    // A larger font (a denser screen without scaling, a user's choice) grows
    // the box: every text still fits, one line below the other.
    box.setFont(QFont(box.font().family(), 20));
    box.show();
    QApplication::processEvents();
    EXPECT_GT(box.width(), 298);
    EXPECT_GT(box.height(), 213);
    int lineBottom = 0;
    for (const char* name : {"ProductName", "Version", "Copyright", "Comments"}) {
        auto* label = child<QLabel>(box, name);
        EXPECT_TRUE(QRect(QPoint(), panel->size()).contains(label->geometry())) << name;
        EXPECT_GE(label->y(), lineBottom) << name;
        lineBottom = label->geometry().bottom() + 1;
        if (!label->wordWrap())
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << name;
        else
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
    }
    EXPECT_GE(ok->width(), ok->fontMetrics().horizontalAdvance(ok->text()));
    EXPECT_GT(ok->y(), panel->geometry().bottom());
}

TEST_F(AboutWindowTest, CarriesTheProgramIconAndTheDialogFont) {
    TAboutWindow box;
    EXPECT_FALSE(box.windowIcon().isNull());
    auto* icon = child<QLabel>(box, "ProgramIcon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().deviceIndependentSize().toSize(), QSize(33, 33));

    // The family is asked for by name; fontconfig substitutes what is installed.
    EXPECT_EQ(box.font().family(), "MS Sans Serif");
    EXPECT_EQ(box.font().pointSize(), 8);
}

TEST_F(AboutWindowTest, LinkLooksLikeALink) {
    TAboutWindow box;
    auto* link = child<QLabel>(box, "Comments");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(link->wordWrap());
    EXPECT_GE(link->height(), link->heightForWidth(link->width()));
    // The other labels keep the normal look.
    EXPECT_FALSE(child<QLabel>(box, "ProductName")->font().underline());
}

TEST_F(AboutWindowTest, IsCentredOnTheScreen) {
    TAboutWindow box;
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QPoint centre = screen->availableGeometry().center();
    const QRect placed(box.pos(), box.size());
    EXPECT_LE(std::abs(placed.center().x() - centre.x()), 1);
    EXPECT_LE(std::abs(placed.center().y() - centre.y()), 1);
}

TEST_F(AboutWindowTest, ClickOnTheLinkHandsTheAddressOverOnceAndKeepsTheBoxOpen) {
    QWidget owner;
    whileModal(&owner, [&](TAboutWindow* box) {
        auto* link = child<QLabel>(*box, "Comments");
        ASSERT_NE(link, nullptr);
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_EQ(opened_, QStringList{TAboutWindow::webPageAddress()});
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), box);
    });
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(AboutWindowTest, OtherClicksOpenNothing) {
    TAboutWindow box;
    box.show();
    auto* link = child<QLabel>(box, "Comments");
    ASSERT_NE(link, nullptr);
    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(4, 4));
    QTest::mouseClick(child<QLabel>(box, "ProductName"), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(child<QWidget>(box, "Panel1"), Qt::LeftButton, {}, QPoint(200, 150));
    // Pressed on the link but released outside it: no click, as with a button.
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(opened_.isEmpty());
    EXPECT_TRUE(box.isVisible());
}

TEST_F(AboutWindowTest, FailingHandOffShowsNothingAndKeepsTheBoxOpen) {
    int calls = 0;
    TAboutWindow::OpenUrl = [&](const QString&) {
        ++calls;
        throw EError("No program handles this address");
    };
    TAboutWindow box;
    box.show();
    auto* link = child<QLabel>(box, "Comments");
    ASSERT_NE(link, nullptr);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_TRUE(box.isVisible());
}

TEST_F(AboutWindowTest, RunsModallyOverItsOwnerAndIsFreedWhenClosed) {
    QWidget owner;
    QPointer<TAboutWindow> shown;
    whileModal(&owner, [&](TAboutWindow* box) {
        shown = box;
        EXPECT_EQ(box->parentWidget(), &owner);
        EXPECT_TRUE(box->isModal());
        QTest::mouseClick(child<QPushButton>(*box, "OKButton"), Qt::LeftButton);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(box->result(), QDialog::Accepted);
    });
    EXPECT_TRUE(shown.isNull()) << "the box outlived its showing";
    EXPECT_TRUE(owner.findChildren<TAboutWindow*>().isEmpty());
}

TEST_F(AboutWindowTest, EnterPressesOk) {
    QWidget owner;
    whileModal(&owner, [&](TAboutWindow* box) {
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(box->result(), QDialog::Accepted);
    });
    EXPECT_TRUE(opened_.isEmpty());
}

}  // namespace
