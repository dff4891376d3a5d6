#pragma once

#include <functional>
#include <string>
#include <utility>

#include "base/MemoryBudget.h"

class TBitmap;

/**
 * Decoding work that a picture hands out to be run on some thread: once
 * made, the picture's Pixels() and its destructor wait for it. Run it once,
 * soon; a job dropped without running tells the picture so, which then
 * decodes at its first draw as usual.
 */
class TDecodeJob {
public:
    TDecodeJob() = default;
    /// work(true) decodes; work(false) only says that it never will.
    explicit TDecodeJob(std::function<void(bool run)> work) : work_(std::move(work)) {}
    TDecodeJob(TDecodeJob&& other) noexcept : work_(std::exchange(other.work_, nullptr)) {}
    TDecodeJob& operator=(TDecodeJob&& other) noexcept {
        if (this != &other) {
            drop();
            work_ = std::exchange(other.work_, nullptr);
        }
        return *this;
    }
    ~TDecodeJob() { drop(); }

    explicit operator bool() const { return bool(work_); }
    void Run() {
        if (auto work = std::exchange(work_, nullptr)) work(true);
    }

private:
    void drop() {
        if (auto work = std::exchange(work_, nullptr)) work(false);
    }
    std::function<void(bool)> work_;
};

/**
 * A picture reader object as the picture of the image control holds it: it
 * loads one file and hands out the pixels to draw. Everything the picture
 * makes the viewer hold (file bytes, pixels, the drawing copy that the image
 * control makes from them) is held in its budget.
 */
class TGraphic {
public:
    TGraphic() = default;
    TGraphic(TGraphic&&) = default;
    TGraphic& operator=(TGraphic&&) = default;
    virtual ~TGraphic() = default;

    /// Reads a file; on failure it throws EError and the object is discarded.
    virtual void LoadFromFile(const std::string& path) = 0;

    /// The size of the pixels as stored (Pixels()).
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    /// How the stored pixels are turned to stand upright, as an EXIF
    /// orientation (1 to 8; see Orientation.h): the picture is drawn, sized
    /// and fitted so. 1 for readers that hand out upright pixels.
    virtual int Orientation() const { return 1; }

    /// The pixels to draw. A reader that decodes lazily does it here, on the
    /// first call, and may throw then, once; later calls give what it has.
    virtual const TBitmap& Pixels() = 0;

    /// A reader that decodes lazily may start that work now on another
    /// thread, so that the pixels are ready by the first draw. What Pixels()
    /// gives and throws stays the same. The others do nothing.
    virtual void DecodeAhead() {}

    /// The work of DecodeAhead, to be run on a thread of the caller's (a
    /// worker reading pictures ahead); the picture may meanwhile move to
    /// another thread and be shown. An empty job when there is nothing to
    /// decode ahead.
    virtual TDecodeJob DecodeAheadJob() { return {}; }

    /// Whether showing this object again shows what loading its file again
    /// would: false once a failure was reported (it is reported once).
    virtual bool ShowsAsLoaded() const { return true; }

    TMemoryBudget& Budget() { return budget_; }

private:
    TMemoryBudget budget_;
};
