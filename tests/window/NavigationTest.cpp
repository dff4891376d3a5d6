// Folder scan, order, wrap-round and the ways a path is opened.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>
#include "host/ActionList.h"
#include "window/FileMenu.h"

#include <sys/stat.h>

#include "WindowFixture.h"

namespace {
QStringList names(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths) out.append(p.mid(p.lastIndexOf('/') + 1));
    return out;
}
}  // namespace

TEST_F(ShellTest, WrapRoundInBothDirections) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) folder.Write(n);
    window->OpenPath(folder.Path());
    EXPECT_EQ(window->CurrentIndex(), 0);
    window->ShowIndex(-4);
    EXPECT_EQ(window->CurrentIndex(), 2);
    EXPECT_EQ(loads.last(), folder.Path() + "c.txt");
    window->ShowIndex(7);
    EXPECT_EQ(window->CurrentIndex(), 1);
    EXPECT_EQ(loads.last(), folder.Path() + "b.txt");
    window->ShowIndex(0);
    window->ShowPrevious();
    EXPECT_EQ(window->CurrentIndex(), 2);
    window->ShowNext();
    EXPECT_EQ(window->CurrentIndex(), 0);
}

TEST_F(ShellTest, OneFileFolderStepsToItself) {
    const QString only = folder.Write("only.gif");
    window->OpenPath(folder.Path());
    window->ShowNext();
    window->ShowPrevious();
    EXPECT_EQ(loads, QStringList({only, only, only}));
    EXPECT_EQ(window->CurrentIndex(), 0);
}

TEST_F(ShellTest, EmptyFolderAndDisabledTypesShowNoFiles) {
    folder.Write("notes.txt");
    folder.Write("readme.md");
    window->Extensions() = QStringList({"html", "\\txt"});
    window->OpenPath(folder.Path());
    EXPECT_TRUE(window->Files().isEmpty());
    EXPECT_EQ(window->ActivePageName(), "NOFILES");
    EXPECT_EQ(window->CurrentIndex(), 0);
    window->BuildFileMenu();
    EXPECT_EQ(window->FileMenu()->Count(), 0);
    EXPECT_EQ(window->CurrentFolder(), folder.Path());
}

TEST_F(ShellTest, FolderWithOrWithoutTrailingSeparator) {
    folder.Write("x.txt");
    QString withoutSlash = folder.Path();
    withoutSlash.chop(1);
    window->OpenPath(withoutSlash);
    EXPECT_EQ(window->CurrentFolder(), folder.Path());
    EXPECT_EQ(window->Files(), QStringList({folder.Path() + "x.txt"}));
    window->OpenPath(folder.Path());
    EXPECT_EQ(window->Files(), QStringList({folder.Path() + "x.txt"}));
}

TEST_F(ShellTest, OpeningAFileShowsOnlyThatFile) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) folder.Write(n);
    failing.append(folder.Path() + "a.txt");  // a damaged first file is never touched
    window->OpenPath(folder.Path() + "c.txt");
    EXPECT_EQ(window->CurrentIndex(), 2);
    EXPECT_EQ(loads, QStringList({folder.Path() + "c.txt"}));
    EXPECT_EQ(window->windowTitle(), folder.Path() + "c.txt");
}

TEST_F(ShellTest, PatternsIgnoreCaseAndPathsAreListedOnce) {
    folder.Write("page.HTM");
    folder.Write("Photo.JPG");
    folder.Write("doc.txt");
    window->Extensions() = QStringList({"htm", "txt", "TXT", "jpg"});
    window->OpenPath(folder.Path());
    EXPECT_EQ(names(window->Files()), QStringList({"doc.txt", "page.HTM", "Photo.JPG"}));
}

TEST_F(ShellTest, NamesDifferingOnlyInCaseAreBothListed) {
    folder.Write("b.txt");
    folder.Write("A.txt");
    folder.Write("a.txt");
    window->OpenPath(folder.Path());
    const QStringList listed = names(window->Files());
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed.mid(0, 2), QStringList({"A.txt", "a.txt"}));
    EXPECT_EQ(listed[2], "b.txt");
    window->OpenPath(folder.Path() + "a.txt");
    EXPECT_EQ(window->CurrentIndex(), 1);  // the exact name, not its case twin
}

TEST_F(ShellTest, OrderIgnoresCaseAndSkipsHiddenFoldersAndSpecialFiles) {
    folder.Write("beta.txt");
    folder.Write("Alpha.txt");
    folder.Write("gamma.TXT");
    folder.Write(".hidden.txt");
    folder.Write("dir.txt/inner.txt");
    ASSERT_EQ(::mkfifo((folder.Path() + "pipe.txt").toLocal8Bit().constData(), 0600), 0);
    window->OpenPath(folder.Path());
    EXPECT_EQ(names(window->Files()), QStringList({"Alpha.txt", "beta.txt", "gamma.TXT"}));
}

TEST_F(ShellTest, UnusualNamesAreListedAndOpened) {
    const QString amp = folder.Write("Tom & Jerry.txt");
    const QString dash = folder.Write("-rf.txt");
    const QString greek = folder.Write("Καλημέρα.txt");
    window->OpenPath(greek);
    EXPECT_EQ(window->Files().size(), 3);
    EXPECT_EQ(loads.last(), greek);
    window->OpenPath(dash);
    EXPECT_EQ(loads.last(), dash);
    window->BuildFileMenu();
    EXPECT_EQ(window->FileMenu()->Name(int(window->Files().indexOf(amp))), "Tom & Jerry.txt");
    // A click on an item shows the file with that index.
    window->FileMenu()->Choose(int(window->Files().indexOf(amp)));
    EXPECT_EQ(loads.last(), amp);
}

TEST_F(ShellTest, MissingPathAndSpecialFilesGiveInvalidFolder) {
    folder.Write("a.txt");
    window->OpenPath(folder.Path());
    window->OpenPath(folder.Path() + "nothing-here");
    EXPECT_EQ(window->ActivePageName(), "INVALIDDIRECTORY");
    EXPECT_EQ(window->Files().size(), 1);  // the list stays as it was
    const QString fifo = folder.Path() + "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    window->ShowMessage(TMessagePage::NoFiles);
    window->OpenPath(fifo);
    EXPECT_EQ(window->ActivePageName(), "INVALIDDIRECTORY");
}

TEST_F(ShellTest, UnreadableFolderCountsAsEmpty) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    const QString locked = folder.Path() + "locked/";
    folder.Write("locked/a.txt");
    ::chmod(locked.toLocal8Bit().constData(), 0);
    window->OpenPath(locked);
    EXPECT_EQ(window->ActivePageName(), "NOFILES");
    ::chmod(locked.toLocal8Bit().constData(), 0700);
}

TEST_F(ShellTest, CommandLineFileInOtherLetterCase) {
    folder.Write("a.txt");
    const QString real = folder.Write("Report.txt");
    window->SetCommandLineArgument(folder.Path() + "REPORT.TXT");
    window->FormShow();
    EXPECT_EQ(loads.last(), real);
    EXPECT_EQ(window->Files().at(window->CurrentIndex()), real);
}

TEST_F(ShellTest, RelativeCommandLineBecomesAbsoluteAlsoInOtherLetterCase) {
    const QString real = folder.Write("sub/a.txt");
    folder.Write("sub/b.txt");
    // A path that is not found opens the file dialog: close it rather than wait.
    QTimer watchdog;
    watchdog.callOnTimeout([] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "the open dialog came up";
            dialog->reject();
        }
    });
    watchdog.start(100);
    const QString working = QDir::currentPath();
    QDir::setCurrent(folder.Path());
    for (const QString& argument : {QStringLiteral("sub/A.TXT"), QStringLiteral("./sub/a.txt"),
                                    QStringLiteral("sub/../sub/A.txt")}) {
        loads.clear();
        window->SetCommandLineArgument(argument);
        window->FormShow();
        EXPECT_EQ(loads.last(), real) << argument.toStdString();
        EXPECT_EQ(window->CurrentFolder(), folder.Path() + "sub/");
        EXPECT_EQ(window->Files().first(), real);
        EXPECT_EQ(window->windowTitle(), real);
    }
    window->SetCommandLineArgument(QStringLiteral("sub"));
    window->FormShow();
    EXPECT_EQ(window->CurrentFolder(), folder.Path() + "sub/");
    QDir::setCurrent(folder.Path() + "sub");
    window->SetCommandLineArgument(QStringLiteral("B.TXT"));
    window->FormShow();
    QDir::setCurrent(working);
    EXPECT_EQ(loads.last(), folder.Path() + "sub/b.txt");
    window->Action("FileExecuteFolder")->Execute();
    EXPECT_EQ(shellRequests.last(), folder.Path() + "sub/");
}

TEST_F(ShellTest, CommandLineFifoOrNothingRunsTheOpenDialogAndCancelEnds) {
    const QString fifo = folder.Path() + "pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& argument : {fifo, QString()}) {
        bool dialogShown = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialogShown = true;
                dialog->reject();
            }
        });
        window->SetCommandLineArgument(argument);
        window->FormShow();
        EXPECT_TRUE(dialogShown);
        EXPECT_TRUE(window->IsClosed());
        EXPECT_TRUE(loads.isEmpty());
    }
}

TEST_F(ShellTest, OpenDialogFilterFollowsEnabledTypes) {
    const QString all = Patterns(ExpectDefaultFileTypes(window->Extensions()));
    EXPECT_TRUE(all.startsWith("*.html; *.htm; *.txt; *.gif; *.bmp; *.jpg; *.jpeg; *.png; "));
    EXPECT_EQ(window->OpenDialogFilter().description, "All supported files(" + all + ")");
    EXPECT_EQ(window->OpenDialogFilter().patterns.join("; "), all);
    window->Extensions() = QStringList({"html", "\\txt", "gif"});
    EXPECT_EQ(window->OpenDialogFilter().description, "All supported files(*.html; *.gif)");
    EXPECT_EQ(window->OpenDialogFilter().patterns, QStringList({"*.html", "*.gif"}));
    window->Extensions() = QStringList({"\\html", "\\txt"});
    EXPECT_EQ(window->OpenDialogFilter().description, "All supported files()");
    EXPECT_TRUE(window->OpenDialogFilter().patterns.isEmpty());
}

TEST_F(ShellTest, OpenDialogChoosesAFileCaseInsensitively) {
    folder.Write("A.TXT");
    folder.Write("b.dat");
    QStringList visible;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        EXPECT_EQ(dialog->nameFilters().value(0),
                  "All supported files(" + Patterns(window->Extensions()) + ")");
        auto* model = dialog->findChild<QFileSystemModel*>();
        bool loaded = false;
        // Disconnected before `loaded` goes: the dialog is kept and loads again.
        const QMetaObject::Connection watch = QObject::connect(
            model, &QFileSystemModel::directoryLoaded, dialog,
            [&](const QString& path) { loaded |= QDir(path) == QDir(folder.Path()); });
        dialog->setDirectory(folder.Path());
        EXPECT_TRUE(WaitUntil([&] { return loaded; }));
        QObject::disconnect(watch);
        const QModelIndex root = model->index(folder.Path());
        for (int r = 0; r < model->rowCount(root); ++r)
            visible.append(model->index(r, 0, root).data().toString());
        if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText("A.TXT");
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog refused "
                          << dialog->selectedFiles().value(0).toStdString();
            dialog->reject();
        }
    });
    EXPECT_TRUE(window->ChooseFile());
    EXPECT_EQ(visible, QStringList({"A.TXT"}));
    EXPECT_EQ(window->CurrentFolder(), folder.Path());
}
