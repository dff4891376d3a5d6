// The folder scan, the file list and its menu, navigation, the open dialog
// and the hand-offs to the desktop.
#include "window/MainWindowUnit.h"

// Qt
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

// Project
#include "base/ErrorReport.h"
#include "host/FileTypes.h"
#include "host/Paths.h"
#include "window/FileList.h"
#include "window/FileMenu.h"
#include "window/FolderScan.h"
#include "window/FolderWatch.h"
#include "window/core/Accelerators.h"

std::function<void(const QString&)> TMainWindow::ShellOpen = [](const QString& target) {
    // xdg-open is started detached: the window never waits for the desktop.
    QDesktopServices::openUrl(QUrl::fromLocalFile(target));
};

namespace {

// "*.jpg" -> "*.[jJ][pP][gG]": the file dialog matches with the file system's
// case rules, the viewer's types are matched without regard to case.
QString caseInsensitivePattern(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        const QChar lower = c.toLower(), upper = c.toUpper();
        if (lower != upper)
            out += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        else if (c == QLatin1Char('[') || c == QLatin1Char(']'))
            out += QLatin1Char('[') + c + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// The path made absolute against the working folder, "." and ".." resolved
// as a shell shows them; an empty path stays empty.
QString absolutePath(const QString& path) {
    if (path.isEmpty()) return path;
    const bool folderForm = path.endsWith(QLatin1Char('/'));
    QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (folderForm && !absolute.endsWith(QLatin1Char('/'))) absolute += QLatin1Char('/');
    return absolute;
}

// A file named in other letter case than on disk (as people type on systems
// that ignore case) is found in its folder; the first match in list order wins.
QString resolveLetterCase(const QString& path) {
    const QString folder = pathrules::ExtractFilePath(path);
    const QString name = pathrules::ExtractFileName(path);
    if (folder.isEmpty() || name.isEmpty() || !IsFolder(folder)) return path;
    QStringList matches;
    for (const QString& entry : QDir(folder).entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) matches.append(folder + entry);
    if (matches.isEmpty()) return path;
    matches.sort();
    return matches.first();
}

}  // namespace

// ---- First showing -----------------------------------------------------------------

void TMainWindow::FormShow() {
    QString argument = commandLineArgument_;
    // A relative argument is taken from the working folder first, so that a
    // name in other letter case is looked for where it stands and everything
    // the window holds (caption, list, folder for the file manager) is absolute.
    if (!argument.isEmpty()) argument = absolutePath(argument);
    if (!IsRegularFile(argument) && !IsFolder(argument)) argument = resolveLetterCase(argument);
    if (!IsRegularFile(argument) && !IsFolder(argument)) {
        if (!ChooseFile()) Close();
        return;
    }
    OpenPath(argument);
}

// ---- Folder scan and navigation ------------------------------------------------

void TMainWindow::OpenPath(const QString& given) {
    const QString path = absolutePath(given);
    QString folder;
    if (IsRegularFile(path))
        folder = pathrules::ExtractFilePath(path);
    else if (IsFolder(path))
        folder = path;
    else {
        ShowMessage(TMessagePage::InvalidDirectory);
        return;
    }
    if (folder == path) {
        ScanFolder(folder);
        return;
    }
    // The chosen file is shown straight away: loading the folder's first file
    // on the way would cost its load (a web engine for a page) and, when that
    // file is damaged, end in its error box instead of the file asked for.
    listFolder(folder);
    const int i = files_->IndexOfPath(path);
    ShowIndex(i >= 0 ? i : 0);
}

void TMainWindow::ScanFolder(const QString& folder) {
    // Nothing to scan before any folder was opened (the file types changed
    // first): scanning "/" instead would be a surprise.
    if (folder.isEmpty()) return;
    listFolder(folder);
    ShowIndex(0);
}

void TMainWindow::listFolder(const QString& folder) {
    const QString dir = pathrules::IncludeTrailingSeparator(folder);
    files_->Assign(ScanFolderFiles(dir, extensions_));
    // The old index means nothing in the new list; it must stay valid even
    // when the first file fails to show below.
    currentIndex_ = 0;
    gap_ = false;
    fileMenuBuilt_ = false;
    pmFiles->Clear();
    // A file of the folder left before is no longer followed, even while it
    // stays on screen because the new folder's file failed to show.
    if (dir != currentFolder_) watch_->FollowFile({});
    currentFolder_ = dir;
    watch_->WatchFolder(dir);
}

void TMainWindow::FollowFolder() {
    if (currentFolder_.isEmpty()) return;
    if (QApplication::activeModalWidget()) {
        // Nothing is shown under an open dialog or error box: after it.
        QTimer::singleShot(kAfterModalMs, this, [this] { Guarded([this] { FollowFolder(); }); });
        return;
    }
    if (pmFiles->isVisible()) {
        folderChangedInMenu_ = true;
        return;
    }
    if (!IsFolder(currentFolder_)) {
        files_->Clear();
        currentIndex_ = 0;
        gap_ = false;
        fileMenuBuilt_ = false;
        pmFiles->Clear();
        ShowMessage(TMessagePage::InvalidDirectory);
        return;
    }
    const QStringList before = files_->Items();
    files_->Assign(ScanFolderFiles(currentFolder_, extensions_));
    const QStringList& now = files_->Items();
    if (now == before) {
        watch_->LookAgain();
        return;
    }
    fileMenuBuilt_ = false;
    pmFiles->Clear();
    const QString shown = watch_->File();
    if (files_->IsEmpty() || (shown.isEmpty() && messageShown(TMessagePage::NoFiles))) {
        ShowIndex(0);
        return;
    }
    const int at = shown.isEmpty() ? -1 : int(now.indexOf(shown));
    if (at >= 0) {
        currentIndex_ = at;
        gap_ = false;
    } else if (!shown.isEmpty()) {
        // Renamed within the folder: the same file under its new name is
        // still the file shown.
        const TFileStamp shownStamp = watch_->FileStamp();
        const QSet<QString> listed(before.begin(), before.end());
        for (int i = 0; i < now.size(); ++i)
            if (!listed.contains(now[i]) &&
                TFileStamp::Of(QFile::encodeName(now[i]).toStdString()).SameFile(shownStamp)) {
                ShowIndex(i);
                return;
            }
        // Gone: it stays on screen, and the next step goes to its neighbour.
        currentIndex_ = files_->InsertionPoint(shown);
        gap_ = true;
    } else {
        currentIndex_ = qMin(currentIndex_, files_->Count() - 1);
    }
    announceNeighbours();
    watch_->LookAgain();
}

void TMainWindow::ShowIndex(int index) {
    const int count = files_->Count();
    if (count == 0) {
        ShowMessage(TMessagePage::NoFiles);
        currentIndex_ = 0;
        return;
    }
    index %= count;  // the same as adding or subtracting the count until in range
    if (index < 0) index += count;
    ShowFile(files_->At(index));
    if (index != currentIndex_ || gap_) backward_ = index == (currentIndex_ + count - 1) % count;
    currentIndex_ = index;
    gap_ = false;
    announceNeighbours();
}

void TMainWindow::announceNeighbours() {
    const int count = files_->Count();
    if (count == 0 || !readAheadEnabled_) return;
    // The neighbours, the one the user is likely to step to first; in a gap
    // the files on either side of it.
    const int index = currentIndex_;
    const int next = gap_ ? index % count : (index + 1) % count;
    const int previous = (index + count - 1) % count;
    QStringList paths;
    const int order[] = {backward_ ? previous : next, backward_ ? next : previous};
    for (int i : order)
        if ((gap_ || i != index) && !paths.contains(files_->At(i))) paths.append(files_->At(i));
    // Each viewer hears of the neighbours it shows, by the window's own
    // dispatch rule (an empty list drops what it holds).
    for (const TViewerAhead& ahead : readAheads_) {
        QStringList shown;
        for (const QString& path : paths)
            if (ahead.viewer < 0 || viewerFor(path) == ahead.viewer) shown.append(path);
        ahead.readAhead(shown);
    }
}

void TMainWindow::ShowPrevious() {
    ShowIndex(currentIndex_ - 1);
}

void TMainWindow::ShowNext() {
    // In a gap the next file already stands at the index.
    ShowIndex(gap_ ? currentIndex_ : currentIndex_ + 1);
}

void TMainWindow::BuildFileMenu() {
    if (fileMenuBuilt_) return;
    fileMenuBuilt_ = true;
    const QStringList& files = files_->Items();
    QStringList names;
    std::vector<std::u16string> captions;
    names.reserve(files.size());
    captions.reserve(files.size());
    for (const QString& f : files) {
        names.append(pathrules::ExtractFileName(f));
        captions.push_back(names.back().toStdU16String());
    }
    pmFiles->SetItems(names, AssignAccelerators(captions));
}

void TMainWindow::PopupFileMenu() {
    BuildFileMenu();
    QToolButton* button = Button(QStringLiteral("btnSelectFile"));
    // The button's place in the client area added to the window's outer
    // corner, with no allowance for the frame: the menu opens a title bar's
    // height above the button, so the button itself stays in sight.
    const QPoint at(button->x() + panToolbar->x() + frameGeometry().x(),
                    button->y() + panToolbar->y() + frameGeometry().y());
    // It opens at the file shown (in a gap, at the one after it).
    pmFiles->Popup(at, files_->IsEmpty() ? -1 : currentIndex_);
}

TOpenFilter TMainWindow::OpenDialogFilter() const {
    TOpenFilter filter;
    for (const QString& type : BrowsedTypes(extensions_))
        filter.patterns.append(QStringLiteral("*.") + type);
    filter.description = QStringLiteral("All supported files(") +
                         filter.patterns.join(QStringLiteral("; ")) + QLatin1Char(')');
    return filter;
}

bool TMainWindow::ChooseFile() {
    if (!sdOpenFile) {
        sdOpenFile = new QFileDialog(this);
        sdOpenFile->setObjectName(QStringLiteral("sdOpenFile"));
        sdOpenFile->setOption(QFileDialog::DontUseNativeDialog);
        sdOpenFile->setFileMode(QFileDialog::ExistingFile);
        sdOpenFile->setAcceptMode(QFileDialog::AcceptOpen);
        sdOpenFile->setSizeGripEnabled(true);
    }
    const TOpenFilter filter = OpenDialogFilter();
    QStringList patterns;
    for (const QString& p : filter.patterns) patterns.append(caseInsensitivePattern(p));
    sdOpenFile->setNameFilter(filter.description);
    if (auto* model = sdOpenFile->findChild<QFileSystemModel*>()) {
        model->setNameFilters(patterns);
        model->setNameFilterDisables(false);
    }
    if (!currentFolder_.isEmpty()) sdOpenFile->setDirectory(currentFolder_);
    if (sdOpenFile->exec() != QDialog::Accepted) return false;
    const QStringList chosen = sdOpenFile->selectedFiles();
    if (chosen.isEmpty()) return false;
    OpenPath(chosen.first());
    return true;
}

void TMainWindow::FileExecute() {
    // The file shown was deleted: there is nothing to hand on.
    if (files_->IsEmpty() || gap_) return;
    ShellOpen(files_->At(currentIndex_));
}

void TMainWindow::FileExecuteFolder() {
    ShellOpen(currentFolder_);
}
