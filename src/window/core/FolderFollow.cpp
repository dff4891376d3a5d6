#include "window/core/FolderFollow.h"

#include <algorithm>

void TBurstRule::Change(int64_t nowMs) {
    if (first_ < 0) first_ = nowMs;
    last_ = nowMs;
}

int64_t TBurstRule::DueAt() const {
    return std::min(last_ + kQuietMs, first_ + kLongestMs);
}

bool TBurstRule::TakeDue(int64_t nowMs) {
    if (!Pending() || nowMs < DueAt()) return false;
    first_ = last_ = -1;
    return true;
}

void TSettleRule::Loaded(const TFileStamp& stamp) {
    loaded_ = stamp;
    seen_ = stamp;
    seenSince_ = -1;
    failedOnce_ = false;
}

bool TSettleRule::Failed(const TFileStamp& at, int64_t nowMs) {
    if (failedOnce_ && at == seen_) {
        Loaded(at);
        return true;
    }
    failedOnce_ = true;
    seen_ = at;
    seenSince_ = nowMs;
    return false;
}

TSettleRule::TStep TSettleRule::Look(const TFileStamp& now, int64_t nowMs) {
    if (seenSince_ < 0 || !(now == seen_)) {
        seen_ = now;
        seenSince_ = nowMs;
        // A file that is gone stays on screen; nothing is waited for.
        if (!now.Exists()) return TStep::Rest;
        return now == loaded_ ? TStep::Rest : TStep::Wait;
    }
    if (!now.Exists() || now == loaded_) return TStep::Rest;
    return nowMs - seenSince_ >= (failedOnce_ ? kRetryMs : kSettleMs) ? TStep::Reload : TStep::Wait;
}
