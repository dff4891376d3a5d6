#include "viewers/image/core/PictureReadAhead.h"

// C++
#include <algorithm>

// Project
#include "base/Bitmap.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/PictureFormats.h"

struct TPictureReadAhead::TEntry {
    enum class TState { Queued, Loading, Decoding, Done };
    std::string path;
    TState state = TState::Queued;
    TStamp stamp;
    std::unique_ptr<TGraphic> graphic;  // null once the load failed or was refused
    TBudgetShare ahead;                 // its place among the files read ahead
    std::atomic<bool> dropped{false};
};

TPictureReadAhead::TPictureReadAhead(const TPictureFormats& formats, uint64_t readAheadBytes)
    // Beyond what is read ahead the next load always finds a picture's
    // budget free.
    : formats_(formats),
      readAheadBytes_(readAheadBytes),
      pool_(readAheadBytes + TMemoryBudget::kPictureBytes) {}

namespace {
using TGraphics = std::vector<std::unique_ptr<TGraphic>>;
}

// Under the lock: the entry is dropped, and its picture put where it can be
// destroyed after the lock is released (a decode under way stops then).
void TPictureReadAhead::drop(TEntry& entry, TGraphics& out) {
    entry.dropped = true;
    entry.ahead.Release();
    if (entry.graphic) out.push_back(std::move(entry.graphic));
}

TPictureReadAhead::~TPictureReadAhead() {
    TGraphics gone;
    {
        std::lock_guard guard(lock_);
        ending_ = true;
        for (auto& e : entries_) drop(*e, gone);
        entries_.clear();
    }
    changed_.notify_all();
    gone.clear();
    if (worker_.joinable()) worker_.join();
}

std::unique_ptr<TGraphic> TPictureReadAhead::Load(const std::string& path, TStamp* stamp) {
    if (stamp) *stamp = TStamp::Of(path);
    std::unique_ptr<TGraphic> graphic = formats_.CreateFor(path);
    graphic->Budget().SetParent(&pool_);
    graphic->LoadFromFile(path);
    return graphic;
}

void TPictureReadAhead::SetWanted(const std::vector<std::string>& paths) {
    TGraphics gone;
    {
        std::lock_guard guard(lock_);
        if (!enabled_ || ending_) return;
        std::list<std::shared_ptr<TEntry>> kept;
        for (const std::string& path : paths) {
            if (!formats_.Find(TPictureFormats::ExtensionOf(path))) continue;
            auto same = [&](const auto& e) { return e->path == path; };
            if (std::any_of(kept.begin(), kept.end(), same)) continue;
            auto it = std::find_if(entries_.begin(), entries_.end(), same);
            // A picture read from a file that has changed since is read again.
            if (it != entries_.end() && (*it)->state == TEntry::TState::Done &&
                !(TStamp::Of(path) == (*it)->stamp))
                it = entries_.end();
            if (it != entries_.end()) {
                kept.splice(kept.end(), entries_, it);
            } else {
                auto entry = std::make_shared<TEntry>();
                entry->path = path;
                kept.push_back(std::move(entry));
            }
        }
        for (auto& e : entries_) drop(*e, gone);
        entries_.swap(kept);
        paused_ = false;
        if (!worker_.joinable()) worker_ = std::thread([this] { work(); });
    }
    changed_.notify_all();
    gone.clear();
}

std::unique_ptr<TGraphic> TPictureReadAhead::Take(const std::string& path, TStamp* stamp) {
    std::shared_ptr<TEntry> entry;
    TGraphics gone;
    std::unique_ptr<TGraphic> graphic;
    {
        std::unique_lock guard(lock_);
        // Nothing new starts beside the picture about to be shown; the next
        // SetWanted goes on.
        paused_ = true;
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const auto& e) { return e->path == path; });
        if (it != entries_.end() && (*it)->state != TEntry::TState::Queued) {
            entry = *it;
            entries_.erase(it);
            // Reading the file and its header is short; the decode goes on
            // after the picture is handed over.
            changed_.wait(guard, [&] { return entry->state != TEntry::TState::Loading; });
            graphic = std::move(entry->graphic);
            entry->ahead.Release();
            entry->dropped = true;
        } else {
            // A picture to load now: a decode under way must not slow it.
            for (auto i = entries_.begin(); i != entries_.end();) {
                if ((*i)->state == TEntry::TState::Decoding) {
                    drop(**i, gone);
                    i = entries_.erase(i);
                } else {
                    ++i;
                }
            }
        }
    }
    gone.clear();
    // The file must still be the one that was read.
    if (graphic && !(TStamp::Of(path) == entry->stamp)) graphic.reset();
    if (graphic && stamp) *stamp = entry->stamp;
    return graphic;
}

void TPictureReadAhead::GiveBack(const std::string& path, std::unique_ptr<TGraphic> graphic,
                                 const TStamp& stamp) {
    if (!graphic || !stamp.Exists() || !graphic->ShowsAsLoaded()) return;
    std::lock_guard guard(lock_);
    if (!enabled_ || ending_) return;
    if (std::any_of(entries_.begin(), entries_.end(),
                    [&](const auto& e) { return e->path == path; }))
        return;
    auto entry = std::make_shared<TEntry>();
    entry->ahead = TryReadAheadShare(TBitmap::argb32Bytes(graphic->Width(), graphic->Height()));
    if (entry->ahead.Bytes() == 0) return;
    entry->path = path;
    entry->stamp = stamp;
    entry->graphic = std::move(graphic);
    entry->state = TEntry::TState::Done;
    entries_.push_back(std::move(entry));
}

void TPictureReadAhead::SetEnabled(bool enabled) {
    if (!enabled) SetWanted({});
    std::lock_guard guard(lock_);
    enabled_ = enabled;
}

size_t TPictureReadAhead::Count() const {
    std::lock_guard guard(lock_);
    return entries_.size();
}

void TPictureReadAhead::WaitUntilRead() {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] {
        return paused_ || std::all_of(entries_.begin(), entries_.end(), [](const auto& e) {
                   return e->state == TEntry::TState::Done;
               });
    });
}

void TPictureReadAhead::work() {
    std::unique_lock guard(lock_);
    for (;;) {
        std::shared_ptr<TEntry> next;
        changed_.wait(guard, [&] {
            if (ending_) return true;
            if (paused_) return false;
            for (auto& e : entries_)
                if (e->state == TEntry::TState::Queued) return bool(next = e);
            return false;
        });
        if (ending_) return;
        next->state = TEntry::TState::Loading;
        guard.unlock();
        read(*next);
        guard.lock();
    }
}

// On the worker, without the lock.
void TPictureReadAhead::read(TEntry& entry) {
    const auto done = [&] {
        {
            std::lock_guard guard(lock_);
            entry.state = TEntry::TState::Done;
        }
        changed_.notify_all();
    };
    entry.stamp = TStamp::Of(entry.path);
    std::unique_ptr<TGraphic> graphic;
    if (entry.stamp.Exists() && !entry.dropped) {
        try {
            graphic = Load(entry.path);
        } catch (...) {
            // Not kept: showing the file loads it again and reports this then.
        }
    }
    // Only within the pool's share for pictures read ahead (the rest of it
    // is the next load's), and while the files of every kind read ahead
    // leave room for it.
    TBudgetShare ahead;
    if (graphic) {
        const uint64_t bytes = TBitmap::argb32Bytes(graphic->Width(), graphic->Height());
        if (pool_.Held() + bytes <= readAheadBytes_) ahead = TryReadAheadShare(bytes);
        if (ahead.Bytes() == 0) graphic.reset();
    }
    if (!graphic) return done();
    TDecodeJob job = graphic->DecodeAheadJob();
    {
        // Handed over before the decode: Take gives it at once, and its
        // first draw waits for what is left.
        std::lock_guard guard(lock_);
        if (!entry.dropped) {
            entry.graphic = std::move(graphic);
            entry.ahead = std::move(ahead);
            entry.state = TEntry::TState::Decoding;
        }
    }
    changed_.notify_all();
    if (graphic) {
        // Dropped meanwhile: the job goes unrun, then the picture.
        job = TDecodeJob();
        graphic.reset();
        return done();
    }
    job.Run();
    done();
}
