#pragma once

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "base/FileStamp.h"
#include "base/MemoryBudget.h"
#include "viewers/text/core/TextPrepare.h"

/**
 * Texts read ahead: the files likely to be shown next are read and prepared
 * (text::PrepareTextFile) on a worker thread, so that showing one only sets
 * its content. What is taken is what a read on demand would give: a file
 * changed since it was read (or while it was) is not used, and one that
 * fails is not kept (shown, it is read again and reports then). What is
 * held counts in ReadAheadPool(); a text that does not fit there is read
 * when shown.
 */
class TTextReadAhead {
public:
    /// Files above this are left to be read when shown: each text held
    /// ahead costs its size in memory.
    static constexpr std::size_t kLargest = 64 << 20;

    TTextReadAhead(std::size_t capacity, std::size_t lineCapacity);
    ~TTextReadAhead();
    TTextReadAhead(const TTextReadAhead&) = delete;
    TTextReadAhead& operator=(const TTextReadAhead&) = delete;

    /// The files to have ready, the likeliest first (two at the most); what
    /// else is held or under way is dropped.
    void Want(const QStringList& paths);
    /// The prepared text of path, if it is held and the file unchanged since.
    std::optional<text::TPreparedText> Take(const QString& path);
    /// Whether a text for path is held (checks and tests).
    bool Holds(const QString& path) const;
    void SetCapacity(std::size_t capacity, std::size_t lineCapacity);

private:
    struct TEntry {
        QString path;
        TFileStamp stamp;
        text::TPreparedText text;
        TBudgetShare ahead;  // in ReadAheadPool()
    };
    void run();
    /// The next wanted path neither held, under way nor failed; empty when none.
    QString nextWanted() const;
    bool held(const QString& path) const;  // under the lock

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    QStringList wanted_;
    QStringList failed_;  // failed or changed while read, for the current wish
    QString underWay_;
    std::vector<TEntry> held_;
    std::size_t capacity_, lineCapacity_;
    bool stop_ = false;
    std::thread worker_;
};
