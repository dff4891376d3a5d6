#include "base/MemoryBudget.h"

// C++
#include <algorithm>
#include <mutex>

// Project
#include "base/Error.h"
#include "base/SystemError.h"

struct TMemoryBudget::TAccount {
    mutable std::mutex lock;
    uint64_t limit = 0;
    uint64_t held = 0;
    uint64_t peak = 0;
    std::function<void(uint64_t)> reclaimer;
    std::shared_ptr<TAccount> parent;
};

namespace {

using TAccount = TMemoryBudget::TAccount;

bool TryCharge(TAccount& a, uint64_t bytes, uint64_t* shortBy) {
    std::lock_guard guard(a.lock);
    if (bytes > a.limit || a.held > a.limit - bytes) {
        *shortBy = a.held + std::min(bytes, UINT64_MAX - a.held) - a.limit;
        return false;
    }
    a.held += bytes;
    a.peak = std::max(a.peak, a.held);
    return true;
}

void Uncharge(TAccount& a, uint64_t bytes) {
    std::lock_guard guard(a.lock);
    a.held -= std::min(a.held, bytes);
}

// Charges the account and its parents, each after one reclaim if it needs
// one; on a refusal the accounts charged so far are given back.
void ChargeChain(TAccount* first, uint64_t bytes) {
    for (TAccount* a = first; a; a = a->parent.get()) {
        uint64_t shortBy = 0;
        if (TryCharge(*a, bytes, &shortBy)) continue;
        std::function<void(uint64_t)> reclaim;
        {
            std::lock_guard guard(a->lock);
            reclaim = a->reclaimer;
        }
        if (reclaim && bytes <= a->limit) reclaim(shortBy);
        if (TryCharge(*a, bytes, &shortBy)) continue;
        for (TAccount* b = first; b != a; b = b->parent.get()) Uncharge(*b, bytes);
        throw EError(outOfMemoryMessage());
    }
}

void UnchargeChain(TAccount* first, uint64_t bytes) {
    for (TAccount* a = first; a; a = a->parent.get()) Uncharge(*a, bytes);
}

}  // namespace

TMemoryBudget::TMemoryBudget(uint64_t limit, TMemoryBudget* parent)
    : account_(std::make_shared<TAccount>()) {
    account_->limit = limit;
    if (parent) account_->parent = parent->account_;
}

TMemoryBudget::TMemoryBudget(TMemoryBudget&& other) noexcept
    : account_(std::make_shared<TAccount>()) {
    account_.swap(other.account_);
    other.account_->limit = account_->limit;
    other.account_->parent = account_->parent;
}

TMemoryBudget& TMemoryBudget::operator=(TMemoryBudget&& other) noexcept {
    if (this != &other) {
        SetReclaimer(nullptr);
        account_.swap(other.account_);
    }
    return *this;
}

TMemoryBudget::~TMemoryBudget() {
    // Shares may outlive the budget; what reclaims for its owner may not.
    if (account_) SetReclaimer(nullptr);
}

uint64_t TMemoryBudget::Limit() const {
    std::lock_guard guard(account_->lock);
    return account_->limit;
}

void TMemoryBudget::SetLimit(uint64_t bytes) {
    std::lock_guard guard(account_->lock);
    account_->limit = bytes;
}

void TMemoryBudget::SetParent(TMemoryBudget* parent) {
    std::lock_guard guard(account_->lock);
    account_->parent = parent ? parent->account_ : nullptr;
}

uint64_t TMemoryBudget::Held() const {
    std::lock_guard guard(account_->lock);
    return account_->held;
}

uint64_t TMemoryBudget::Peak() const {
    std::lock_guard guard(account_->lock);
    return account_->peak;
}

void TMemoryBudget::ResetPeak() {
    std::lock_guard guard(account_->lock);
    account_->peak = account_->held;
}

uint64_t TMemoryBudget::Available() const {
    std::lock_guard guard(account_->lock);
    return account_->held < account_->limit ? account_->limit - account_->held : 0;
}

bool TMemoryBudget::Fits(uint64_t bytes) const {
    return bytes <= Available();
}

void TMemoryBudget::Check(uint64_t bytes) const {
    if (!Fits(bytes)) throw EError(outOfMemoryMessage());
}

TBudgetShare TMemoryBudget::Take(uint64_t bytes) {
    ChargeChain(account_.get(), bytes);
    return TBudgetShare(account_, bytes);
}

void TMemoryBudget::SetReclaimer(std::function<void(uint64_t)> fn) {
    std::lock_guard guard(account_->lock);
    account_->reclaimer = std::move(fn);
}

uint64_t TMemoryBudget::Bytes(uint64_t a, uint64_t b, uint64_t c) {
    uint64_t ab = 0, abc = 0;
    if (__builtin_mul_overflow(a, b, &ab) || __builtin_mul_overflow(ab, c, &abc)) return UINT64_MAX;
    return abc;
}

TBudgetShare::~TBudgetShare() {
    Release();
}

TBudgetShare::TBudgetShare(TBudgetShare&& other) noexcept
    : account_(std::move(other.account_)), bytes_(other.bytes_) {
    other.bytes_ = 0;
}

TBudgetShare& TBudgetShare::operator=(TBudgetShare&& other) noexcept {
    if (this != &other) {
        Release();
        account_ = std::move(other.account_);
        bytes_ = other.bytes_;
        other.bytes_ = 0;
    }
    return *this;
}

TBudgetShare::TBudgetShare(const TBudgetShare& other) {
    if (!other.account_) return;
    ChargeChain(other.account_.get(), other.bytes_);
    account_ = other.account_;
    bytes_ = other.bytes_;
}

TBudgetShare& TBudgetShare::operator=(const TBudgetShare& other) {
    if (this != &other) *this = TBudgetShare(other);
    return *this;
}

void TBudgetShare::Release() {
    if (account_) UnchargeChain(account_.get(), bytes_);
    account_.reset();
    bytes_ = 0;
}

TMemoryBudget& ReadAheadPool() {
    static TMemoryBudget pool(TMemoryBudget::kPictureBytes);
    return pool;
}

TBudgetShare TryReadAheadShare(uint64_t bytes) {
    try {
        return ReadAheadPool().Take(std::max<uint64_t>(bytes, 1));
    } catch (const EError&) {
        return {};
    }
}
