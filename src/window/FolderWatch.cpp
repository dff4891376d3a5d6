#include "window/FolderWatch.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>

TFolderWatch::TFolderWatch(QObject* parent) : QObject(parent) {
    clock_.start();
    burstTimer_ = new QTimer(this);
    burstTimer_->setSingleShot(true);
    connect(burstTimer_, &QTimer::timeout, this, &TFolderWatch::burstTick);
    lookTimer_ = new QTimer(this);
    lookTimer_->setSingleShot(true);
    lookTimer_->setInterval(kLookMs);
    connect(lookTimer_, &QTimer::timeout, this, &TFolderWatch::look);
}

TFolderWatch::~TFolderWatch() = default;

void TFolderWatch::WatchFolder(const QString& folder) {
    // The same folder again is watched again only when the watcher dropped it
    // (it was removed and made anew).
    if (folder == folder_ &&
        (folder.isEmpty() || (watcher_ && watcher_->directories().contains(folder))))
        return;
    if (watcher_ && !folder_.isEmpty()) watcher_->removePath(folder_);
    folder_ = folder;
    burstTimer_->stop();
    burst_ = TBurstRule();
    if (folder_.isEmpty()) return;
    // Made with the first folder: a window that never browses one holds no
    // inotify instance.
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &TFolderWatch::folderNotice);
        connect(watcher_, &QFileSystemWatcher::fileChanged, this, &TFolderWatch::fileNotice);
    }
    watcher_->addPath(folder_);
}

void TFolderWatch::FollowFile(const QString& path) {
    if (watcher_ && !file_.isEmpty() && watcher_->files().contains(file_))
        watcher_->removePath(file_);
    file_ = path;
    lookTimer_->stop();
    settle_.Loaded(TFileStamp::Of(QFile::encodeName(path).toStdString()));
    watchFile();
}

void TFolderWatch::watchFile() {
    if (file_.isEmpty() || !watcher_) return;
    // Dropped by the watcher when the file was removed or replaced.
    if (!watcher_->files().contains(file_) && settle_.LoadedStamp().Exists())
        watcher_->addPath(file_);
}

TFileStamp TFolderWatch::StampNow() const {
    return TFileStamp::Of(QFile::encodeName(file_).toStdString());
}

void TFolderWatch::Reloaded(const TFileStamp& asRead) {
    settle_.Loaded(asRead);
    watchFile();
    // Written while it was read: shown again once that write has settled.
    if (!(StampNow() == asRead)) look();
}

bool TFolderWatch::ReloadFailed() {
    const TFileStamp now = TFileStamp::Of(QFile::encodeName(file_).toStdString());
    if (settle_.Failed(now, clock_.elapsed())) return true;
    lookTimer_->start();
    return false;
}

void TFolderWatch::LookAgain() {
    if (!file_.isEmpty()) look();
}

void TFolderWatch::folderNotice() {
    burst_.Change(clock_.elapsed());
    if (!burstTimer_->isActive()) burstTimer_->start(int(TBurstRule::kQuietMs));
}

void TFolderWatch::burstTick() {
    const qint64 now = clock_.elapsed();
    if (burst_.TakeDue(now)) {
        emit FolderChanged();
        return;
    }
    if (burst_.Pending()) burstTimer_->start(int(qMax<qint64>(1, burst_.DueAt() - now)));
}

void TFolderWatch::fileNotice() {
    if (!lookTimer_->isActive()) look();
}

void TFolderWatch::look() {
    const TFileStamp now = TFileStamp::Of(QFile::encodeName(file_).toStdString());
    switch (settle_.Look(now, clock_.elapsed())) {
        case TSettleRule::TStep::Wait:
            lookTimer_->start();
            break;
        case TSettleRule::TStep::Reload:
            emit FileSettled();
            break;
        case TSettleRule::TStep::Rest:
            if (now.Exists()) watchFile();
            break;
    }
}
