#pragma once

// C++
#include <cstdint>
#include <functional>
#include <memory>

class TBudgetShare;

/**
 * The memory one picture may make the viewer hold: the file bytes it keeps,
 * its decoded rasters, the composed GIF picture, the 32-bit drawing copy and
 * the paint buffer. A header of a few bytes can ask for gigabytes, so every
 * allocation that a file's content sizes takes its share of the picture's
 * budget first; a share beyond what is left is refused with the
 * out-of-memory "System Error" text before anything is allocated.
 *
 * How to use it:
 *  - Check(bytes) when a load knows what the picture will need once shown
 *    (raster and drawing copy, composed picture): the file is refused at once
 *    instead of when it is first drawn.
 *  - Take(bytes) right before allocating, and keep the share beside the
 *    memory: the bytes go back when the share goes (shares are movable, and a
 *    copy takes the same bytes again).
 *  - SetReclaimer(fn): memory that can be made again (decoded GIF frames) is
 *    given back by fn when a Take would otherwise pass the limit.
 *  - A budget may have a parent: its shares then count in the parent as well,
 *    so that several pictures (the one shown and neighbours read ahead) stay
 *    within one figure together while each stays within its own. Check looks
 *    at the picture's own limit only; Take at the whole chain.
 *
 * Thread-safe: shares may be taken and given back on any thread. A reclaimer
 * runs on the taking thread without any budget lock held.
 */
class TMemoryBudget {
public:
    /// What one picture may hold: see README ("Memory").
    static constexpr uint64_t kPictureBytes = uint64_t(1) << 30;

    explicit TMemoryBudget(uint64_t limit = kPictureBytes, TMemoryBudget* parent = nullptr);
    ~TMemoryBudget();
    TMemoryBudget(const TMemoryBudget&) = delete;
    TMemoryBudget& operator=(const TMemoryBudget&) = delete;
    /// The shares go along with their budget; the one moved from starts
    /// afresh, empty, with the same limit.
    TMemoryBudget(TMemoryBudget&& other) noexcept;
    TMemoryBudget& operator=(TMemoryBudget&& other) noexcept;

    uint64_t Limit() const;
    void SetLimit(uint64_t bytes);
    /// Counts this budget's shares in `parent` as well (none: in no other).
    /// Only while the budget holds nothing, such as a picture's before its
    /// load: a share given back leaves the budgets its own counts in then.
    void SetParent(TMemoryBudget* parent);
    /// Bytes held by the shares taken and not given back.
    uint64_t Held() const;
    /// The most ever held at once (since creation or ResetPeak).
    uint64_t Peak() const;
    void ResetPeak();
    /// What is left: Limit - Held, 0 when nothing is.
    uint64_t Available() const;

    /// Whether `bytes` more would stay within this budget's own limit.
    bool Fits(uint64_t bytes) const;
    /// Throws EError with the out-of-memory text unless Fits(bytes).
    void Check(uint64_t bytes) const;
    /// Holds `bytes` in this budget and its parents, reclaiming first where
    /// a limit would be passed; throws EError with the out-of-memory text
    /// when that is not enough. Nothing is held after a refusal.
    TBudgetShare Take(uint64_t bytes);

    /// fn(needed) gives back up to `needed` bytes of memory that can be made
    /// again; it runs when a Take would pass this budget's limit. Replaces
    /// the previous one; an empty function removes it.
    void SetReclaimer(std::function<void(uint64_t needed)> fn);

    /// a * b * c, saturating instead of wrapping: header fields never make
    /// a small number out of a huge one.
    static uint64_t Bytes(uint64_t a, uint64_t b, uint64_t c = 1);

    struct TAccount;

private:
    std::shared_ptr<TAccount> account_;
};

/** Bytes held in a TMemoryBudget; they go back when the share goes. */
class TBudgetShare {
public:
    TBudgetShare() = default;
    ~TBudgetShare();
    TBudgetShare(TBudgetShare&& other) noexcept;
    TBudgetShare& operator=(TBudgetShare&& other) noexcept;
    /// Takes the same bytes again from the same budget; may be refused.
    TBudgetShare(const TBudgetShare& other);
    TBudgetShare& operator=(const TBudgetShare& other);

    uint64_t Bytes() const { return bytes_; }
    /// Gives the bytes back now.
    void Release();

private:
    friend class TMemoryBudget;
    TBudgetShare(std::shared_ptr<TMemoryBudget::TAccount> account, uint64_t bytes)
        : account_(std::move(account)), bytes_(bytes) {}

    std::shared_ptr<TMemoryBudget::TAccount> account_;
    uint64_t bytes_ = 0;
};

/**
 * What the files read ahead of their showing hold together, of every kind:
 * pictures, texts and pages each take a share here for what they keep ready
 * and give it back when the file is shown or no longer wanted. Its limit is
 * one picture's budget; a file whose share would pass it is not read ahead
 * (it is read when shown, as without read-ahead). What is shown never counts
 * here, so reading ahead never makes a file fail that would show without it.
 */
TMemoryBudget& ReadAheadPool();

/// A share of `bytes` in ReadAheadPool(), or an empty share (Bytes() == 0)
/// when it would pass the pool's limit.
TBudgetShare TryReadAheadShare(uint64_t bytes);
