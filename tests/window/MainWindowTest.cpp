// The window's layout, pages and dispatch.
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>

#include "WindowFixture.h"
#include "app/Application.h"
#include "host/ActionList.h"

TEST_F(ShellTest, LayoutAtCreation) {
    EXPECT_EQ(window->windowTitle(), "MainWindow");
    EXPECT_EQ(window->ActivePageName(), "TEXT");
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_TRUE(window->CurrentFolder().isEmpty());
    ExpectDefaultFileTypes(window->Extensions());
    auto* notebook = window->findChild<QStackedWidget*>("nbDisplay");
    ASSERT_NE(notebook, nullptr);
    QStringList pages;
    for (int i = 0; i < notebook->count(); ++i) pages.append(notebook->widget(i)->objectName());
    EXPECT_EQ(pages, QStringList({"TEXT", "HTML", "IMAGE", "NOFILES", "INVALIDDIRECTORY"}));
    const QStringList buttons = {"btnBack",    "btnNext",          "btnSelectFile", "btnOpen",
                                 "btnExecute", "btnExecuteFolder", "btnExtensions", "btnAbout"};
    const int lefts[] = {8, 32, 56, 88, 120, 144, 176, 208};
    for (int i = 0; i < buttons.size(); ++i) {
        QToolButton* b = window->Button(buttons[i]);
        ASSERT_NE(b, nullptr) << buttons[i].toStdString();
        EXPECT_EQ(b->geometry(), QRect(lefts[i], 8, 23, 22)) << buttons[i].toStdString();
    }
    QLineEdit* fileName = window->FileNameBox();
    EXPECT_TRUE(fileName->isReadOnly());
    // Below the buttons, 15 pixels short of the toolbar's right edge, which
    // it keeps as the window grows.
    QWidget* toolbar = fileName->parentWidget();
    EXPECT_EQ(toolbar->height(), 69);
    EXPECT_EQ(fileName->geometry(), QRect(64, 40, toolbar->width() - 64 - 15, 21));
    window->show();
    window->resize(760, 560);
    ASSERT_TRUE(WaitUntil([&] { return toolbar->width() == 760; }));
    EXPECT_EQ(toolbar->height(), 69);
    EXPECT_TRUE(
        WaitUntil([&] { return fileName->geometry() == QRect(64, 40, 760 - 64 - 15, 21); }));
    // The message pages get their text when first shown.
    for (const auto& [page, text] :
         {std::pair{"NOFILES", "This directory doesn't contains any supprorted files"},
          std::pair{"INVALIDDIRECTORY", "Invalid folder name"}}) {
        window->ShowPage(QString::fromLatin1(page));
        auto* label = window->Page(page)->findChild<QLabel*>();
        ASSERT_NE(label, nullptr) << page;
        EXPECT_EQ(label->text(), text);
    }
}

TEST_F(ShellTest, DispatchByExtensionWithoutRegardToCase) {
    const QString txt = folder.Write("a.txt");
    window->ShowFile(txt);
    EXPECT_EQ(window->ActivePageName(), "TEXT");
    EXPECT_EQ(window->windowTitle(), txt);
    EXPECT_EQ(TApplication::Title(), txt);
    EXPECT_EQ(fileNameBox(), txt);

    const QString html = folder.Write("index.html");
    window->ShowFile(html);
    EXPECT_EQ(window->ActivePageName(), "HTML");
    EXPECT_EQ(fileNameBox(), html);
    EXPECT_EQ(window->windowTitle(), txt);  // the page's title comes later

    // Camera names, upper-case names and the long form of JPEG reach their
    // viewers like any other listed file.
    for (const char* name : {"b.gif", "IMG_0001.JPG", "harvesters.jpeg", "Scan.Bmp", "C.GIF"}) {
        const QString path = folder.Write(name);
        window->ShowFile(path);
        EXPECT_EQ(window->ActivePageName(), "IMAGE") << name;
        EXPECT_EQ(loads.last(), path);
        EXPECT_EQ(window->windowTitle(), path);
    }
    const QString readme = folder.Write("README.TXT");
    window->ShowFile(readme);
    EXPECT_EQ(window->ActivePageName(), "TEXT");
    EXPECT_EQ(loads.last(), readme);
    const QString page = folder.Write("INDEX.HTM");
    window->ShowFile(page);
    EXPECT_EQ(window->ActivePageName(), "HTML");
    EXPECT_EQ(loads.last(), page);

    // A name no viewer takes only changes the file-name box.
    const qsizetype count = loads.size();
    const QString other = folder.Write("notes.md");
    window->ShowFile(other);
    EXPECT_EQ(window->ActivePageName(), "HTML");
    EXPECT_EQ(fileNameBox(), other);
    EXPECT_EQ(window->windowTitle(), readme);
    EXPECT_EQ(loads.size(), count);
}

TEST(KeepOnScreen, MovesFirstAndShrinksOnlyWhatCannotFit) {
    const QRect screen(0, 0, 960, 600);
    // The initial bounds on a large screen stay as they are.
    EXPECT_EQ(TMainWindow::KeepOnScreen(QRect(206, 162, 700, 510), QRect(0, 0, 1920, 1080)),
              QRect(206, 162, 700, 510));
    // Reaching past the bottom: moved up, the size kept.
    EXPECT_EQ(TMainWindow::KeepOnScreen(QRect(206, 162, 700, 510), screen),
              QRect(206, 90, 700, 510));
    // Past the right and the bottom of a screen that does not start at 0, 0.
    EXPECT_EQ(TMainWindow::KeepOnScreen(QRect(1900, 900, 700, 510), QRect(1920, 40, 1024, 728)),
              QRect(1920, 258, 700, 510));
    EXPECT_EQ(TMainWindow::KeepOnScreen(QRect(-50, -20, 700, 510), screen), QRect(0, 0, 700, 510));
    // Larger than the screen: shrunk to it, at its corner.
    EXPECT_EQ(TMainWindow::KeepOnScreen(QRect(206, 162, 700, 510), QRect(0, 0, 640, 480)),
              QRect(0, 0, 640, 480));
}

TEST_F(ShellTest, FirstShowKeepsTheWindowWhollyOnTheScreen) {
    const QRect available = window->screen()->availableGeometry();
    // Initial bounds that reach past the bottom of this screen.
    window->move(206, available.bottom() - 300);
    window->show();
    EXPECT_TRUE(WaitUntil([&] { return available.contains(window->frameGeometry()); }))
        << window->frameGeometry().y();
    EXPECT_EQ(window->size(), QSize(696, 480));

    // Bounds larger than the screen are shrunk to fit.
    auto large = std::make_unique<TMainWindow>();
    large->OnShow = nullptr;
    large->resize(available.width() + 200, available.height() + 200);
    large->show();
    EXPECT_TRUE(WaitUntil([&] { return available.contains(large->frameGeometry()); }));
    EXPECT_LT(large->width(), available.width());
}

TEST_F(ShellTest, PseudoPagesResetCaptionAndFileNameBox) {
    window->ShowFile(folder.Write("a.txt"));
    window->ShowMessage(TMessagePage::NoFiles);
    EXPECT_EQ(window->ActivePageName(), "NOFILES");
    EXPECT_EQ(window->windowTitle(), "Tarvel HTML Viewer");
    EXPECT_EQ(TApplication::Title(), "Tarvel HTML Viewer");
    EXPECT_TRUE(fileNameBox().isEmpty());
    window->ShowMessage(TMessagePage::InvalidDirectory);
    EXPECT_EQ(window->ActivePageName(), "INVALIDDIRECTORY");
}

TEST_F(ShellTest, FailedLoadKeepsCaptionAndReportsWithFullStop) {
    const QString a = folder.Write("a.txt");
    const QString b = folder.Write("b.txt");
    window->OpenPath(folder.Path());
    failing.append(b);
    // Through the command, as the user would step forward.
    window->Action("NavigationForward")->Update();
    window->Action("NavigationForward")->trigger();
    ASSERT_EQ(errors.Boxes().size(), 1u);
    EXPECT_EQ(errors.Boxes()[0].first, a);  // the caption is still the previous file
    EXPECT_EQ(errors.Boxes()[0].second, "Cannot open file " + b + ".");
    EXPECT_EQ(window->windowTitle(), a);
    EXPECT_EQ(fileNameBox(), b);
    EXPECT_EQ(window->CurrentIndex(), 0);  // the failing file is not counted as shown
}

TEST(FullStopRule, AppendedOnlyAfterHigherCharacters) {
    EXPECT_EQ(TApplication::WithFullStop("Stream read error"), "Stream read error.");
    EXPECT_EQ(TApplication::WithFullStop("Code 12"), "Code 12.");
    EXPECT_EQ(TApplication::WithFullStop("Why?"), "Why?.");
    EXPECT_EQ(TApplication::WithFullStop("Done."), "Done.");
    EXPECT_EQ(TApplication::WithFullStop("Stop!"), "Stop!");
    EXPECT_EQ(TApplication::WithFullStop("(see above)"), "(see above)");
    EXPECT_EQ(TApplication::WithFullStop("ends in blank "), "ends in blank ");
    EXPECT_EQ(TApplication::WithFullStop(""), "");
}

TEST(SilentAbort, ShowsNoBox) {
    ErrorBoxRecorder errors;
    TApplication::Guarded([] { throw EAbort(); });
    EXPECT_TRUE(errors.Boxes().empty());
    TApplication::Guarded([] { throw EError("Bitmap image is not valid"); });
    EXPECT_EQ(errors.Texts(), QStringList({"Bitmap image is not valid."}));
}
