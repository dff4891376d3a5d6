#include <gtest/gtest.h>

// ---- Standard library ----
#include <string>
#include <vector>

// ---- Project ----
#include "settings/core/FileTypeOffer.h"
#include "settings/core/StoredText.h"

using namespace StoredText;
using Lines = std::vector<std::string>;

TEST(StoredText, TrimRemovesControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim("  Courier New \t"), "Courier New");
    EXPECT_EQ(Trim(std::string("\x01\x1f x \r\n", 7)), "x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("a b"), "a b");
    // UTF-8 bytes are above the blank and survive.
    EXPECT_EQ(Trim(" \xc3\xa9 "), "\xc3\xa9");
}

TEST(StoredText, ParseIntegerAcceptsSignedDecimalsInRangeOnly) {
    EXPECT_EQ(ParseInteger("206"), 206);
    EXPECT_EQ(ParseInteger("-11"), -11);
    EXPECT_EQ(ParseInteger("+5"), 5);
    EXPECT_EQ(ParseInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInteger("2147483647"), INT32_MAX);
    EXPECT_FALSE(ParseInteger("2147483648"));
    EXPECT_FALSE(ParseInteger("-2147483649"));
    EXPECT_FALSE(ParseInteger("99999999999999999999999"));
    EXPECT_FALSE(ParseInteger(""));
    EXPECT_FALSE(ParseInteger("-"));
    EXPECT_FALSE(ParseInteger("x"));
    EXPECT_FALSE(ParseInteger("12a"));
    EXPECT_FALSE(ParseInteger(" 12"));
}

TEST(StoredText, WordsAreRunsBetweenBlanksAndCommas) {
    EXPECT_EQ(SplitWords("206, 162,,902 642"), (Lines{"206", "162", "902", "642"}));
    EXPECT_EQ(SplitWords(" ,,a"), (Lines{"a"}));
    EXPECT_EQ(SplitWords(""), Lines{});
    EXPECT_EQ(SplitWords(", ,"), Lines{});
}

TEST(StoredText, ReadFourFallsBackPerWord) {
    const std::vector<int32_t> current{206, 162, 902, 642};
    EXPECT_EQ(ReadFour("10,20,30", current), (std::vector<int32_t>{10, 20, 30, 642}));
    EXPECT_EQ(ReadFour("10,x,30,40", current), (std::vector<int32_t>{10, 162, 30, 40}));
    EXPECT_EQ(ReadFour("1,2,3,4,5", current), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(ReadFour("bad", {0, 0, 0, 0}), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(FormatFour(206, 162, 902, -642), "206,162,902,-642");
}

TEST(StoredText, IdentifiersMatchWithoutRegardToCase) {
    const Lines align{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
    EXPECT_EQ(FindIdentifier(align, "ALCLIENT"), 5);
    EXPECT_EQ(FindIdentifier(align, "alnone"), 0);
    EXPECT_EQ(FindIdentifier(align, "centre"), -1);
    EXPECT_EQ(FindIdentifier(align, ""), -1);
    EXPECT_EQ(FindIdentifier(align, "alClient "), -1);
}

TEST(StoredText, SetsFormatInDeclarationOrderAndParseAnySpelling) {
    const std::vector<SetMember> styles{
        {"fsBold", 1}, {"fsItalic", 2}, {"fsUnderline", 4}, {"fsStrikeOut", 8}};
    EXPECT_EQ(FormatSet(styles, 0), "[]");
    EXPECT_EQ(FormatSet(styles, 3), "[fsBold,fsItalic]");
    EXPECT_EQ(FormatSet(styles, 12), "[fsUnderline,fsStrikeOut]");
    for (const char* text : {"[fsBold, fsUnderline]", "fsBold,fsUnderline", "[fsUnderline,fsBold]",
                             "[FSBOLD]fsunderline", "  [fsBold,,fsUnderline,]  "})
        EXPECT_EQ(ParseSet(styles, text), 5u) << text;
    EXPECT_EQ(ParseSet(styles, "[]"), 0u);
    EXPECT_EQ(ParseSet(styles, "[fsHeavy]"), 0u);
    EXPECT_EQ(ParseSet(styles, "[fsHeavy,fsItalic]"), 2u);
}

TEST(StoredText, ShowCommandsMapToThreeStates) {
    for (int cmd : {0, 1, 4, 5, 8, 9, 10, 42, -1})
        EXPECT_EQ(ShowStateFromCommand(cmd), ShowState::Normal) << cmd;
    for (int cmd : {2, 6, 7}) EXPECT_EQ(ShowStateFromCommand(cmd), ShowState::Minimized) << cmd;
    EXPECT_EQ(ShowStateFromCommand(3), ShowState::Maximized);
}

TEST(StoredText, LineListTextEndsEveryLineWithCrLf) {
    EXPECT_EQ(JoinLines({"html", "\\txt"}), "html\r\n\\txt\r\n");
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
}

TEST(StoredText, LineListReadingSplitsAtEveryBreakAndStopsAtNul) {
    EXPECT_EQ(SplitLines("html"), (Lines{"html"}));
    EXPECT_EQ(SplitLines("html\r\nhtm\r\n"), (Lines{"html", "htm"}));
    EXPECT_EQ(SplitLines("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitLines(std::string("gif\r\nbmp\0jpg\r\n", 14)), (Lines{"gif", "bmp"}));
    const Lines defaults{"html", "htm", "txt", "gif", "bmp", "jpg", "jpeg"};
    EXPECT_EQ(SplitLines(JoinLines(defaults)), defaults);
}

// The offer rule alone: case is ignored, a disabled entry counts as held, and
// only what is missing is appended, after the person's entries.
TEST(FileTypeOffer, AppendsOnlyTypesNeverOfferedAndNotHeld) {
    std::vector<std::string> entries = {"TXT", "\\png", "html"};
    std::vector<std::string> offered = {"html", "txt"};
    FileTypeOffer::Offer(entries, offered, {"html", "txt", "png", "webp", "WEBP"});
    EXPECT_EQ(entries, (std::vector<std::string>{"TXT", "\\png", "html", "webp"}));
    EXPECT_EQ(offered, (std::vector<std::string>{"html", "txt", "png", "webp"}));
    // Once offered, a type the list lacks stays away.
    entries = {"html"};
    FileTypeOffer::Offer(entries, offered, {"html", "txt", "png", "webp"});
    EXPECT_EQ(entries, std::vector<std::string>{"html"});
}
