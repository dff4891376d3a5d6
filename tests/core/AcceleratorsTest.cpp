#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "window/core/Accelerators.h"

namespace {

char16_t upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

// Checks that every chosen key is valid and used once; returns how many items got one.
int checkAssignment(const std::vector<std::u16string>& captions, const std::vector<int>& keys) {
    EXPECT_EQ(keys.size(), captions.size());
    std::set<char16_t> used;
    int count = 0;
    for (size_t i = 0; i < captions.size(); ++i) {
        if (keys[i] < 0) continue;
        ++count;
        const char16_t c = upper(captions[i].at(size_t(keys[i])));
        EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z')) << "item " << i;
        EXPECT_TRUE(used.insert(c).second) << "key used twice";
    }
    return count;
}

}  // namespace

TEST(Accelerators, CompetingNamesAllGetOneWhenPossible) {
    // First come first served would give "ab" the A and leave "a" without any.
    const std::vector<std::u16string> captions = {u"ab", u"a", u"b"};
    const auto keys = AssignAccelerators(captions);
    EXPECT_EQ(checkAssignment(captions, keys), 2);  // only two distinct keys exist
    const std::vector<std::u16string> three = {u"ab", u"a", u"bc"};
    EXPECT_EQ(checkAssignment(three, AssignAccelerators(three)), 3);
}

TEST(Accelerators, MaximumMatchingNeedsReassignment) {
    // Greedy would give item 0 "x" and item 1 "y", leaving item 2 nothing.
    const std::vector<std::u16string> captions = {u"xy", u"yz", u"x"};
    EXPECT_EQ(checkAssignment(captions, AssignAccelerators(captions)), 3);
}

TEST(Accelerators, CaseDigitsAndOtherCharacters) {
    const std::vector<std::u16string> captions = {u"A.txt", u"a.TXT", u"1.gif", u"é-ü.txt", u"--"};
    const auto keys = AssignAccelerators(captions);
    EXPECT_EQ(checkAssignment(captions, keys), 4);
    EXPECT_EQ(keys[4], -1);  // no character from the key set
    EXPECT_EQ(keys[2], 0);   // the digit, the earliest character
}

TEST(Accelerators, AtMostThirtySixItemsInALongList) {
    std::vector<std::u16string> captions;
    for (int i = 0; i < 10000; ++i)
        captions.push_back(u"photo" + std::u16string(1, char16_t(u'0' + i % 10)) + u".jpg");
    const auto keys = AssignAccelerators(captions);
    const int count = checkAssignment(captions, keys);
    // Keys available: P H O T J G and the ten digits.
    EXPECT_EQ(count, 16);
}

TEST(Accelerators, EmptyInput) {
    EXPECT_TRUE(AssignAccelerators({}).empty());
    EXPECT_EQ(AssignAccelerators({u""}), std::vector<int>{-1});
}
