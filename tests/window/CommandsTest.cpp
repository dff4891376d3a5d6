// The command table: hints, shortcuts, enabling, and the shell hand-offs.
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "WindowFixture.h"
#include "app/Application.h"
#include "host/ActionList.h"
#include "window/FileMenu.h"

namespace {

// Runs the event loop until it has waited for events once: the commands'
// queued update has run by then.
void RunUntilIdle() {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TEST_F(ShellTest, CommandTable) {
    struct Row {
        const char* name;
        const char* hint;
        const char* tip;
    };
    const Row rows[] = {
        {"NavigationBack", "Go to previous file", "Go to previous file (Ctrl+Q)"},
        {"NavigationForward", "Go to next file", "Go to next file (Ctrl+W)"},
        {"NavigationSelectFile", "Go to file...", "Go to file..."},
        {"FileOpen", "Open...", "Open... (Ctrl+O)"},
        {"FileExecute", "Open file in default program...",
         "Open file in default program... (Ctrl+E)"},
        {"FileExecuteFolder", "Open current folder in explorer...",
         "Open current folder in explorer... (Ctrl+F)"},
        {"OptionsExtensions", "File types to browse...", "File types to browse..."},
        {"OptionsWordWrap", "Word wrap", "Word wrap"},
        {"OptionsFont", "Font...", "Font..."},
        {"HelpAbout", "About...", "About..."},
    };
    for (const Row& r : rows) {
        TAction* a = window->Action(r.name);
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_EQ(a->Hint(), r.hint);
        EXPECT_EQ(a->ToolTipText(), r.tip);
    }
    EXPECT_EQ(window->Button("btnBack")->toolTip(), "Go to previous file (Ctrl+Q)");
    EXPECT_EQ(window->Button("btnExecuteFolder")->toolTip(),
              "Open current folder in explorer... (Ctrl+F)");
    EXPECT_EQ(window->Button("btnAbout")->toolTip(), "About...");
}

TEST_F(ShellTest, NavigationDisabledWithoutFilesAndShortcutsDoNothing) {
    window->show();
    window->FileNameBox()->setFocus();
    window->ActionList()->UpdateShowing();
    for (const char* name : {"NavigationBack", "NavigationForward", "NavigationSelectFile"}) {
        EXPECT_FALSE(window->Action(name)->isEnabled()) << name;
        EXPECT_FALSE(window->Action(name)->Execute());
    }
    EXPECT_FALSE(window->Button("btnBack")->isEnabled());
    for (const char* name : {"FileOpen", "FileExecute", "FileExecuteFolder", "OptionsExtensions",
                             "OptionsWordWrap", "OptionsFont", "HelpAbout"})
        EXPECT_TRUE(window->Action(name)->isEnabled()) << name;
    // Stepping in an empty list would show the "no files" page and reset the
    // caption: neither may happen.
    QTest::keyClick(window->FileNameBox(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(window->FileNameBox(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(window->ActivePageName(), "TEXT");
    EXPECT_EQ(window->windowTitle(), "MainWindow");
}

TEST_F(ShellTest, CommandsFollowTheListButWaitForModalDialogsAndTheToolbar) {
    for (const char* n : {"a.txt", "b.txt"}) folder.Write(n);
    window->show();
    RunUntilIdle();
    EXPECT_FALSE(window->Button("btnNext")->isEnabled());
    // No one asks for an update: the list's change enables the buttons.
    window->OpenPath(folder.Path());
    RunUntilIdle();
    EXPECT_TRUE(window->Button("btnNext")->isEnabled());

    // While a modal dialog is up, a list emptied behind it leaves the buttons
    // as they were; they follow once the dialog has closed.
    QDialog dialog(window.get());
    bool enabledDuringDialog = false;
    QTimer::singleShot(0, &dialog, [&] {
        window->Extensions() = QStringList({"\\txt"});
        window->ScanFolder(folder.Path());
        RunUntilIdle();
        enabledDuringDialog = window->Button("btnNext")->isEnabled();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_TRUE(enabledDuringDialog);
    RunUntilIdle();
    EXPECT_FALSE(window->Button("btnNext")->isEnabled());

    // A list that changes while full screen hides the toolbar: the buttons
    // follow once it is back.
    window->SetFullScreen(true);
    window->Extensions() = QStringList({"txt"});
    window->ScanFolder(folder.Path());
    RunUntilIdle();
    window->SetFullScreen(false);
    RunUntilIdle();
    EXPECT_TRUE(window->Button("btnNext")->isEnabled());
}

TEST_F(ShellTest, IndexStaysValidWhenTheFirstFileOfASmallerFolderFails) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) folder.Write(n);
    window->OpenPath(folder.Path() + "c.txt");
    ASSERT_EQ(window->CurrentIndex(), 2);
    const QString broken = folder.Write("small/broken.txt");
    failing.append(broken);
    // As Ctrl+O into that folder: the failure goes to the error box.
    TApplication::Guarded([&] { window->OpenPath(folder.Path() + "small/"); });
    EXPECT_EQ(errors.Texts(), QStringList({"Cannot open file " + broken + "."}));
    ASSERT_EQ(window->Files(), QStringList({broken}));
    ASSERT_EQ(window->CurrentIndex(), 0);
    window->Action("FileExecute")->Execute();
    EXPECT_EQ(shellRequests, QStringList({broken}));
}

TEST_F(ShellTest, ShortcutsWorkWhileTheFileNameBoxHasFocus) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) folder.Write(n);
    window->show();
    window->OpenPath(folder.Path());
    window->ActionList()->UpdateShowing();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->FileNameBox()->setFocus();
    QTest::keyClick(window->FileNameBox(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(window->CurrentIndex(), 1);
    QTest::keyClick(window->FileNameBox(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(window->FileNameBox(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(window->CurrentIndex(), 2);
    // Ctrl+E is "end of line" to a line edit on this desktop; the command wins.
    QTest::keyClick(window->FileNameBox(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(shellRequests, QStringList({folder.Path() + "c.txt"}));
    QTest::keyClick(window->FileNameBox(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(shellRequests.last(), folder.Path());
}

TEST_F(ShellTest, ShellHandOffs) {
    window->Action("FileExecute")->Execute();
    EXPECT_TRUE(shellRequests.isEmpty());  // no file to hand over
    window->Action("FileExecuteFolder")->Execute();
    EXPECT_EQ(shellRequests, QStringList({QString()}));  // the folder, empty before any scan
    const QString a = folder.Write("a.bmp");
    window->OpenPath(folder.Path());
    window->Action("FileExecute")->Execute();
    EXPECT_EQ(shellRequests.last(), a);
}

TEST_F(ShellTest, FileMenuMirrorsTheListAndPopsUpAtTheButton) {
    for (const char* n : {"apple.txt", "avocado.txt", "banana.txt"}) folder.Write(n);
    window->show();
    window->OpenPath(folder.Path());
    window->Action("NavigationSelectFile")->Execute();
    TFileMenu* menu = window->FileMenu();
    ASSERT_EQ(menu->Count(), 3);
    // Every item gets its own accelerator: a, v and b (or another valid choice).
    QSet<QChar> keys;
    for (int i = 0; i < 3; ++i) keys.insert(menu->Accelerator(i));
    EXPECT_EQ(keys.size(), 3);
    EXPECT_FALSE(keys.contains(QChar()));
    QToolButton* button = window->Button("btnSelectFile");
    const QPoint expected(window->frameGeometry().x() + button->x(),
                          window->frameGeometry().y() + button->y() + window->height() - 69);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), expected);
    EXPECT_EQ(menu->ActiveItem(), 0);  // the file shown
    // Typing an item's accelerator shows that file.
    QTest::keyClick(menu->findChild<QListView*>(), menu->Accelerator(2).toLatin1());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(window->CurrentIndex(), 2);

    // In a large folder the menu opens at the file shown, in sight; the arrow
    // keys go on from there.
    for (int i = 0; i < 10000; ++i)
        folder.Write(QStringLiteral("big/f%1.txt").arg(i, 5, 10, QChar('0')));
    window->OpenPath(folder.Path() + "big/f07000.txt");
    window->Action("NavigationSelectFile")->Execute();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->ActiveItem(), 7000);
    QListView* list = menu->List();
    const QRect item = list->visualRect(list->model()->index(7000, 0));
    EXPECT_TRUE(list->viewport()->rect().contains(item)) << item.y();
    // Opened under the pointer, the item there becomes active only when the
    // pointer moves.
    const QPoint over = list->visualRect(list->model()->index(7003, 0)).center();
    menu->hide();
    QCursor::setPos(list->viewport()->mapToGlobal(over));
    window->Action("NavigationSelectFile")->Execute();
    QTest::mouseMove(list->viewport(), over);
    EXPECT_EQ(menu->ActiveItem(), 7000);
    QTest::mouseMove(list->viewport(), list->visualRect(list->model()->index(7002, 0)).center());
    EXPECT_EQ(menu->ActiveItem(), 7002);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(window->CurrentIndex(), 7003);
}
