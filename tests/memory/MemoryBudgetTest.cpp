// Project
#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "base/SystemError.h"

// C++
#include <string>
#include <vector>

// Test
#include <gtest/gtest.h>

namespace {

std::string Refusal(TMemoryBudget& budget, uint64_t bytes) {
    try {
        TBudgetShare share = budget.Take(bytes);
    } catch (const EError& e) {
        return e.what();
    }
    return "";
}

TEST(MemoryBudget, SharesHoldTheirBytesAndWhatPassesTheLimitIsRefusedWhole) {
    TMemoryBudget budget(1000);
    {
        TBudgetShare a = budget.Take(500);
        EXPECT_EQ(budget.Held(), 500u);
        EXPECT_TRUE(budget.Fits(500));
        EXPECT_FALSE(budget.Fits(501));
        EXPECT_EQ(Refusal(budget, 501), outOfMemoryMessage());
        EXPECT_EQ(budget.Held(), 500u);
        // A copy holds the same bytes again; a move holds nothing more.
        TBudgetShare b = a;
        EXPECT_EQ(budget.Held(), 1000u);
        EXPECT_THROW(TBudgetShare c = b, EError);
        TBudgetShare moved = std::move(b);
        EXPECT_EQ(budget.Held(), 1000u);
        moved.Release();
        EXPECT_EQ(budget.Held(), 500u);
    }
    EXPECT_EQ(budget.Held(), 0u);
    EXPECT_EQ(budget.Peak(), 1000u);
    // Sizes from headers saturate instead of wrapping round to something small.
    EXPECT_EQ(TMemoryBudget::Bytes(uint64_t(1) << 32, uint64_t(1) << 32, 4), UINT64_MAX);
    EXPECT_EQ(Refusal(budget, TMemoryBudget::Bytes(65536, 65536, 65536)), outOfMemoryMessage());
    EXPECT_THROW(budget.Check(1001), EError);
    EXPECT_NO_THROW(budget.Check(1000));
    EXPECT_EQ(TMemoryBudget().Limit(), uint64_t(1) << 30);
}

TEST(MemoryBudget, ReclaimingMakesRoomAndAParentCountsEveryShare) {
    TMemoryBudget pool(1500);
    TMemoryBudget shown(1000, &pool), ahead;
    ahead.SetLimit(1000);
    ahead.SetParent(&pool);
    std::vector<TBudgetShare> cache;
    std::vector<uint64_t> asked;
    shown.SetReclaimer([&](uint64_t needed) {
        asked.push_back(needed);
        uint64_t freed = 0;
        while (freed < needed && !cache.empty()) {
            freed += cache.back().Bytes();
            cache.pop_back();
        }
    });
    cache.push_back(shown.Take(400));
    cache.push_back(shown.Take(400));
    TBudgetShare picture = shown.Take(500);
    EXPECT_EQ(asked, std::vector<uint64_t>{300});
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_EQ(shown.Held(), 900u);
    EXPECT_EQ(pool.Held(), 900u);

    // Within its own limit, but not beside the other picture: refused, and
    // nothing stays held anywhere.
    EXPECT_EQ(Refusal(ahead, 700), outOfMemoryMessage());
    EXPECT_EQ(ahead.Held(), 0u);
    EXPECT_EQ(pool.Held(), 900u);
    TBudgetShare next = ahead.Take(600);
    EXPECT_EQ(pool.Held(), 1500u);
    // Check looks at the picture's own limit only.
    EXPECT_NO_THROW(ahead.Check(400));
    next.Release();
    cache.clear();
    EXPECT_EQ(pool.Held(), 500u);
}

}  // namespace
