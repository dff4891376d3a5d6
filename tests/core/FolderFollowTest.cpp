#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/TempFolder.h"
#include "window/core/FolderFollow.h"

using TStep = TSettleRule::TStep;

namespace {

TFileStamp stamp(int64_t size, int64_t seconds) {
    TFileStamp s;
    s.device = 1;
    s.inode = 2;
    s.size = size;
    s.seconds = seconds;
    return s;
}

}  // namespace

TEST(BurstRule, ABurstIsOneRebuildOnceQuietAndAnEndlessOneStillRebuilds) {
    TBurstRule burst;
    EXPECT_FALSE(burst.TakeDue(0));
    // A thousand notices over a second, each within the quiet time of the last.
    for (int64_t t = 0; t <= 1000; t += 1) {
        burst.Change(t);
        EXPECT_FALSE(burst.TakeDue(t));
    }
    EXPECT_EQ(burst.DueAt(), 1000 + TBurstRule::kQuietMs);
    EXPECT_FALSE(burst.TakeDue(1000 + TBurstRule::kQuietMs - 1));
    EXPECT_TRUE(burst.TakeDue(1000 + TBurstRule::kQuietMs));
    EXPECT_FALSE(burst.Pending());

    // A folder that never rests is listed again after the longest wait.
    int rebuilds = 0;
    for (int64_t t = 5000; t < 5000 + 3 * TBurstRule::kLongestMs; t += 10) {
        burst.Change(t);
        if (burst.TakeDue(t)) ++rebuilds;
    }
    EXPECT_EQ(rebuilds, 2);
}

TEST(SettleRule, ReloadsOnlyOnceTheFileHasRestedOnANewContent) {
    TSettleRule rule;
    rule.Loaded(stamp(10, 100));
    EXPECT_EQ(rule.Look(stamp(10, 100), 0), TStep::Rest);  // a notice without a change
    // Written in pieces: every look finds it grown, so it is never read half-way.
    EXPECT_EQ(rule.Look(stamp(20, 101), 0), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(30, 101), 150), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(40, 101), 300), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(40, 101), 300 + TSettleRule::kSettleMs - 1), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(40, 101), 300 + TSettleRule::kSettleMs), TStep::Reload);
    rule.Loaded(stamp(40, 101));
    EXPECT_EQ(rule.Look(stamp(40, 101), 1000), TStep::Rest);
    // Deleted: stays as it is; back as it was: nothing to do either.
    EXPECT_EQ(rule.Look(TFileStamp(), 2000), TStep::Rest);
    EXPECT_EQ(rule.Look(TFileStamp(), 3000), TStep::Rest);
    EXPECT_EQ(rule.Look(stamp(40, 101), 3100), TStep::Rest);
}

TEST(SettleRule, AFailedReloadIsReportedOnlyWhenTheFileStillFailsAfterALongerRest) {
    TSettleRule rule;
    rule.Loaded(stamp(10, 100));
    EXPECT_EQ(rule.Look(stamp(20, 101), 0), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(20, 101), TSettleRule::kSettleMs), TStep::Reload);
    // The writer only paused: quiet, and tried again after the longer rest.
    EXPECT_FALSE(rule.Failed(stamp(20, 101), 200));
    EXPECT_EQ(rule.Look(stamp(20, 101), 200 + TSettleRule::kSettleMs), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(30, 102), 600), TStep::Wait);  // and it writes on
    EXPECT_EQ(rule.Look(stamp(30, 102), 600 + TSettleRule::kRetryMs), TStep::Reload);
    // Failing again on the same file after its rest: a damaged file, reported once.
    EXPECT_TRUE(rule.Failed(stamp(30, 102), 1700));
    EXPECT_EQ(rule.Look(stamp(30, 102), 5000), TStep::Rest);
    // A good write afterwards reloads as usual.
    EXPECT_EQ(rule.Look(stamp(50, 103), 6000), TStep::Wait);
    EXPECT_EQ(rule.Look(stamp(50, 103), 6000 + TSettleRule::kSettleMs), TStep::Reload);
}

TEST(FileStamp, TellsAWriteAReplacementAndARemoval) {
    const TTempFolder folder("tarvel-stamp");
    const std::string path = folder.File("a.txt");
    const std::string other = folder.File("b.txt");
    std::ofstream(path) << "one";
    const TFileStamp first = TFileStamp::Of(path);
    EXPECT_TRUE(first.Exists());
    EXPECT_EQ(first.size, 3);
    EXPECT_EQ(TFileStamp::Of(path), first);
    std::ofstream(path, std::ios::app) << "two";
    EXPECT_NE(TFileStamp::Of(path), first);
    EXPECT_TRUE(TFileStamp::Of(path).SameFile(first));
    std::ofstream(other) << "one";
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_FALSE(TFileStamp::Of(path).SameFile(first));
    std::remove(path.c_str());
    EXPECT_FALSE(TFileStamp::Of(path).Exists());
    EXPECT_FALSE(TFileStamp::Of(folder.Path()).Exists());  // a folder is no file to show
}
