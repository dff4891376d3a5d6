// The folder followed while it is shown: files arriving, leaving and renamed,
// bursts, the folder emptied or removed.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include "host/ActionList.h"
#include "window/FolderWatch.h"

#include "WindowFixture.h"

namespace {

QStringList inFolder(const QString& folder, const QStringList& names) {
    QStringList out;
    for (const QString& n : names) out.append(folder + n);
    return out;
}

}  // namespace

TEST_F(ShellTest, ListFollowsFilesAddedDeletedAndRenamed) {
    const QString a = folder.Write("a.txt");
    folder.Write("b.txt");
    folder.Write("sub/keep.bin");
    window->OpenPath(a);
    const QString f = folder.Path();

    // Only what a scan lists joins: no hidden file, no other type.
    folder.Write("c.txt");
    folder.Write(".hidden.txt");
    folder.Write("e.md");
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 3; }));
    EXPECT_EQ(window->Files(), inFolder(f, {"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(loads, QStringList({a}));  // nothing shown again for the list

    // A deleted neighbour is skipped.
    QFile::remove(f + "b.txt");
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 2; }));
    window->ShowNext();
    EXPECT_EQ(loads.last(), f + "c.txt");

    // The file shown, renamed, is still the file shown, in its new place.
    ASSERT_TRUE(QFile::rename(f + "c.txt", f + "0.txt"));
    ASSERT_TRUE(WaitUntil([&] { return window->Files().contains(f + "0.txt"); }));
    EXPECT_EQ(window->Files(), inFolder(f, {"0.txt", "a.txt"}));
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(fileNameBox(), f + "0.txt");

    // Renamed out of the folder and into it.
    ASSERT_TRUE(QFile::rename(f + "a.txt", f + "sub/a.txt"));
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 1; }));
    ASSERT_TRUE(QFile::rename(f + "sub/a.txt", f + "z.txt"));
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 2; }));
    EXPECT_EQ(window->Files(), inFolder(f, {"0.txt", "z.txt"}));
    EXPECT_TRUE(errors.Boxes().empty());
}

TEST_F(ShellTest, DeletedShownFileStaysAndTheStepsGoToItsNeighbours) {
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) folder.Write(n);
    const QString f = folder.Path();
    window->OpenPath(f + "b.txt");
    QFile::remove(f + "b.txt");
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 2; }));
    EXPECT_EQ(window->ActivePageName(), "TEXT");
    EXPECT_EQ(fileNameBox(), f + "b.txt");
    EXPECT_EQ(loads, QStringList({f + "b.txt"}));
    window->Action("FileExecute")->Execute();  // nothing to hand on
    EXPECT_TRUE(shellRequests.isEmpty());
    window->ShowNext();
    EXPECT_EQ(loads.last(), f + "c.txt");
    window->ShowPrevious();
    EXPECT_EQ(loads.last(), f + "a.txt");

    window->OpenPath(f + "c.txt");
    QFile::remove(f + "c.txt");
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 1; }));
    window->ShowPrevious();
    EXPECT_EQ(loads.last(), f + "a.txt");
}

TEST_F(ShellTest, BurstOfArrivingFilesIsOneRebuild) {
    const QString first = folder.Write("first.txt");
    window->OpenPath(first);
    QSignalSpy rebuilds(window->FolderWatch(), &TFolderWatch::FolderChanged);
    // Arriving in ten batches, the window seeing each batch's notices.
    for (int batch = 0; batch < 10; ++batch) {
        for (int i = 0; i < 100; ++i) folder.Write(QStringLiteral("f%1-%2.txt").arg(batch).arg(i));
        ProcessEvents(5);
    }
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 1001; }));
    EXPECT_EQ(rebuilds.count(), 1);
    EXPECT_EQ(window->CurrentIndex(), window->Files().indexOf(first));
}

TEST_F(ShellTest, FolderEmptiedShowsNoFilesAndRemovedShowsInvalidFolder) {
    const QString only = folder.Write("sub/only.txt");
    const QString sub = folder.Path() + "sub/";
    window->OpenPath(only);
    QFile::remove(only);
    ASSERT_TRUE(WaitUntil([&] { return window->ActivePageName() == "NOFILES"; }));
    EXPECT_TRUE(window->Files().isEmpty());
    // A file arriving in the empty folder is shown.
    const QString next = folder.Write("sub/next.txt");
    ASSERT_TRUE(WaitUntil([&] { return window->ActivePageName() == "TEXT"; }));
    EXPECT_EQ(loads.last(), next);
    ASSERT_TRUE(QDir(sub).removeRecursively());
    ASSERT_TRUE(WaitUntil([&] { return window->ActivePageName() == "INVALIDDIRECTORY"; }));
    EXPECT_TRUE(window->Files().isEmpty());
    EXPECT_EQ(window->CurrentFolder(), sub);
}

TEST_F(ShellTest, ShownFileIsShownAgainOnceItsChangeHasSettled) {
    const QString a = folder.Write("a.txt", "one\n");
    folder.Write("b.txt");
    window->OpenPath(a);
    QFile file(a);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("two\n");
    file.close();
    ASSERT_TRUE(WaitUntil([&] { return loads.size() == 2; }));
    EXPECT_EQ(loads, QStringList({a, a}));
    EXPECT_EQ(window->CurrentIndex(), 0);
    // Replaced by another file under its name, as editors save.
    const QString saved = folder.Write("a.txt.new", "three\n");
    ASSERT_TRUE(QFile::rename(a, a + ".old") && QFile::rename(saved, a));
    ASSERT_TRUE(WaitUntil([&] { return loads.size() == 3; }));
    EXPECT_EQ(loads.last(), a);
    EXPECT_TRUE(errors.Boxes().empty());
}

TEST_F(ShellTest, ListWaitsForAnOpenDialogToClose) {
    window->OpenPath(folder.Write("a.txt"));
    QDialog dialog(window.get());
    QTimer::singleShot(0, &dialog, [&] {
        folder.Write("b.txt");
        ProcessEvents(int(TBurstRule::kQuietMs) + 400);
        EXPECT_EQ(window->Files().size(), 1);
        dialog.reject();
    });
    dialog.exec();
    ASSERT_TRUE(WaitUntil([&] { return window->Files().size() == 2; }));
}
