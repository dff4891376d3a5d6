#include <gtest/gtest.h>

#include "base/PathRules.h"

using namespace pathrules;

TEST(PathRules, ExtensionIsFromTheLastDotOfTheName) {
    EXPECT_EQ(ExtractFileExt("/docs/a.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/docs/notes"), "");
    EXPECT_EQ(ExtractFileExt("/docs.d/notes"), "");  // a dot in a folder name is no extension
    EXPECT_EQ(ExtractFileExt("/docs/page.HTM"), ".HTM");
    EXPECT_EQ(ExtractFileExt("/docs/trailing."), ".");
    EXPECT_EQ(ExtractFileExt(""), "");
}

TEST(PathRules, FolderPartKeepsItsSeparator) {
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFilePath("c.txt"), "");
    EXPECT_EQ(ExtractFilePath("/"), "/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileName("/a/b/"), "");
}

TEST(PathRules, TrailingSeparatorAddedOnce) {
    EXPECT_EQ(IncludeTrailingSeparator("/a/b"), "/a/b/");
    EXPECT_EQ(IncludeTrailingSeparator("/a/b/"), "/a/b/");
    EXPECT_EQ(IncludeTrailingSeparator(""), "/");
}

TEST(PathRules, PatternMatchIgnoresCaseAndNeedsAStem) {
    EXPECT_TRUE(MatchesExtension("page.HTM", "htm"));
    EXPECT_TRUE(MatchesExtension("Photo.JpG", "jpg"));
    EXPECT_TRUE(MatchesExtension("a.b.txt", "txt"));
    EXPECT_FALSE(MatchesExtension("page.html", "htm"));
    EXPECT_FALSE(MatchesExtension("pagehtm", "htm"));
    EXPECT_FALSE(MatchesExtension(".txt", "txt"));
    EXPECT_FALSE(MatchesExtension("a.txt", ""));
    EXPECT_FALSE(MatchesExtension("a.txt", "xt"));
}
