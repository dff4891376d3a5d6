#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include "window/core/FolderFollow.h"

class QFileSystemWatcher;
class QTimer;

/**
 * Follows the folder browsed and the file shown through the system's file
 * notices (inotify), with no timer running while nothing changes. Bursts of
 * changes to the folder come out as one FolderChanged; a change to the file
 * shown comes out as FileSettled once the file has rested (TSettleRule),
 * looked at every kLookMs meanwhile.
 */
class TFolderWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kLookMs = 100;

    explicit TFolderWatch(QObject* parent = nullptr);
    ~TFolderWatch() override;

    /// Watches this folder (with its trailing "/") instead of the previous one;
    /// an empty path watches none.
    void WatchFolder(const QString& folder);
    /// Follows this file, as it is now on disk; an empty path follows none.
    void FollowFile(const QString& path);
    /// The file as it is now, to be given to Reloaded once it has been read.
    TFileStamp StampNow() const;
    /// The file followed was read again; `asRead`: its stamp taken before the
    /// read, so that a write during the read is seen as a change.
    void Reloaded(const TFileStamp& asRead);
    /// Reading it again failed. True: report the failure; false: it is tried
    /// again once the file has rested longer (it may still be being written).
    bool ReloadFailed();
    /// The file followed as it was when last read.
    const TFileStamp& FileStamp() const { return settle_.LoadedStamp(); }
    /// Looks at the file followed again at once (after the list was rebuilt:
    /// a file replaced by a rename sends no notice of its own).
    void LookAgain();
    const QString& Folder() const { return folder_; }
    const QString& File() const { return file_; }

signals:
    /// Files came, went or were renamed, or the folder itself went.
    void FolderChanged();
    /// The file followed has changed and settled: show it again.
    void FileSettled();

private:
    void folderNotice();
    void burstTick();
    void fileNotice();
    void look();
    void watchFile();

    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* burstTimer_ = nullptr;
    QTimer* lookTimer_ = nullptr;
    QElapsedTimer clock_;
    TBurstRule burst_;
    TSettleRule settle_;
    QString folder_;
    QString file_;
};
