#pragma once

// C++
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Project
#include "base/FileStamp.h"
#include "base/MemoryBudget.h"

class TGraphic;
class TPictureFormats;

/**
 * Pictures read ahead of their showing: the neighbours of the file shown
 * (and the first file, while the program starts), loaded and decoded one
 * after another on a worker thread, so that stepping to one of them shows
 * it at once.
 *
 * A picture read ahead is the one a load on demand gives: the same reader,
 * the same pixels, and the same failures at the same moments. A file whose
 * load fails is not kept (showing it loads it again and reports the
 * error then); a decode failure is kept and thrown by the first Pixels()
 * (the first draw), as after a decode on demand. Take() gives a picture
 * only while its file is the one that was read (same file, size and
 * modification time).
 *
 * Memory: every picture of the view, the one shown included, counts in
 * Pool(). A picture is read ahead only while the pool, with it, stays
 * within one picture's budget (TMemoryBudget::kPictureBytes); the pool's
 * own limit leaves room beside that for the next load, so reading ahead
 * never makes a picture fail that would load without it.
 *
 * Thread-safe for one controlling thread (the window's).
 */
class TPictureReadAhead {
public:
    /// What the pictures read ahead and the one shown may hold together, by
    /// default.
    static constexpr uint64_t kReadAheadBytes = TMemoryBudget::kPictureBytes;

    /// What tells a file read ahead from the one found when it is shown.
    using TStamp = TFileStamp;

    /// `readAheadBytes`: what the pictures read ahead and the one shown may
    /// hold together before nothing more is read ahead.
    explicit TPictureReadAhead(const TPictureFormats& formats,
                               uint64_t readAheadBytes = kReadAheadBytes);
    /// Stops the work under way (within a few rows) and waits for it.
    ~TPictureReadAhead();
    TPictureReadAhead(const TPictureReadAhead&) = delete;
    TPictureReadAhead& operator=(const TPictureReadAhead&) = delete;

    /// The files to hold read ahead, most wanted first: the others are
    /// dropped (a decode under way stops within a few rows), the new ones
    /// and those whose file changed since they were read are queued. Paths
    /// that no reader takes are left out.
    void SetWanted(const std::vector<std::string>& paths);

    /// The picture read ahead for `path`, loaded and decoded (or failed in
    /// its decode), when its file is unchanged; waits for it when it is
    /// being read. nullptr otherwise: then load it on demand.
    std::unique_ptr<TGraphic> Take(const std::string& path, TStamp* stamp = nullptr);

    /// The picture that was shown, held as read ahead until the next
    /// SetWanted leaves it out, so that stepping back to it costs nothing;
    /// only while it shows as a new load of its file would (its decode
    /// failure, if any, not reported yet). `stamp`: its file when loaded.
    void GiveBack(const std::string& path, std::unique_ptr<TGraphic> graphic, const TStamp& stamp);

    /// Off: nothing is read ahead and what is held is dropped.
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    /// The budget every picture of the view counts in (its parent).
    TMemoryBudget& Pool() { return pool_; }

    /// A new reader object for `path` in the pool, with the file loaded;
    /// `stamp` receives the file's as it was before the read.
    std::unique_ptr<TGraphic> Load(const std::string& path, TStamp* stamp = nullptr);

    /// How many pictures are held or queued.
    size_t Count() const;
    /// Waits until every picture wanted has been read and decoded (or has
    /// failed): the state a person looking at a picture finds.
    void WaitUntilRead();

private:
    struct TEntry;
    void work();
    void read(TEntry& entry);
    static void drop(TEntry& entry, std::vector<std::unique_ptr<TGraphic>>& out);

    const TPictureFormats& formats_;
    const uint64_t readAheadBytes_;
    TMemoryBudget pool_;
    bool enabled_ = true;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::list<std::shared_ptr<TEntry>> entries_;
    bool ending_ = false;
    bool paused_ = false;
    std::thread worker_;
};
