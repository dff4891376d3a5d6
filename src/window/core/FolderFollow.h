#pragma once

#include <cstdint>
#include <string>

#include "base/FileStamp.h"

/**
 * The rules by which the window follows its folder and the file it shows,
 * free of Qt: what a file looked like on disk, when a burst of changes to the
 * folder is over, and when a changed file has settled.
 */

/**
 * Coalesces the folder's change notices into rebuilds of the list: a rebuild
 * is due once the folder has been quiet for kQuietMs, or kLongestMs after the
 * first notice of a burst that does not end, so a thousand files copied in
 * cost one rebuild and a folder that never rests is still followed.
 */
class TBurstRule {
public:
    static constexpr int64_t kQuietMs = 150;
    static constexpr int64_t kLongestMs = 2000;

    /// A change notice at `nowMs`.
    void Change(int64_t nowMs);
    bool Pending() const { return first_ >= 0; }
    /// When the rebuild is due (only while Pending()).
    int64_t DueAt() const;
    /// True, and the burst forgotten, when the rebuild is due at `nowMs`.
    bool TakeDue(int64_t nowMs);

private:
    int64_t first_ = -1;
    int64_t last_ = -1;
};

/**
 * When the file shown is to be shown again: once it has stayed the same
 * (size, modification time, the file itself) for kSettleMs and differs from
 * what was loaded. A file being written in pieces is therefore read when the
 * writer has paused, not half-way.
 */
class TSettleRule {
public:
    static constexpr int64_t kSettleMs = 200;

    enum class TStep {
        Wait,    ///< still changing, or not yet quiet for long enough: look again
        Reload,  ///< settled on a new content: show it again
        Rest,    ///< as loaded, or gone: nothing to do until the next change
    };

    /// What was shown, as it was when it was read.
    void Loaded(const TFileStamp& stamp);
    const TFileStamp& LoadedStamp() const { return loaded_; }
    /// The file as it is at `nowMs`.
    TStep Look(const TFileStamp& now, int64_t nowMs);
    /// Showing the file again failed at `nowMs`, with the file as `at`. The
    /// first failure is kept quiet: the file may still be written by a
    /// writer that paused for longer than kSettleMs, so it is tried once more
    /// after kRetryMs at rest. True: the failure is to be reported (the file
    /// stayed as it was all that time); it then rests until it changes again.
    bool Failed(const TFileStamp& at, int64_t nowMs);

    static constexpr int64_t kRetryMs = 1000;

private:
    TFileStamp loaded_;
    TFileStamp seen_;
    int64_t seenSince_ = -1;
    bool failedOnce_ = false;
};
