// Windows-1252 decoding: one character per byte, the 0x80..0x9F table, the
// undefined five kept as their own code points.

#include <gtest/gtest.h>

#include <string>

#include "viewers/text/core/Cp1252.h"

using text::Cp1252ToUtf16;
using text::DecodeCp1252;

TEST(Cp1252, AsciiAndLatin1RangesAreIdentity) {
    for (int b = 0; b < 0x80; ++b) EXPECT_EQ(Cp1252ToUtf16(b), char16_t(b));
    for (int b = 0xA0; b < 0x100; ++b) EXPECT_EQ(Cp1252ToUtf16(b), char16_t(b));
}

TEST(Cp1252, HighControlRangeFollowsTheCodePage) {
    EXPECT_EQ(Cp1252ToUtf16(0x80), u'\u20AC');  // euro sign
    EXPECT_EQ(Cp1252ToUtf16(0x85), u'\u2026');  // ellipsis
    EXPECT_EQ(Cp1252ToUtf16(0x8A), u'\u0160');
    EXPECT_EQ(Cp1252ToUtf16(0x93), u'\u201C');
    EXPECT_EQ(Cp1252ToUtf16(0x99), u'\u2122');
    EXPECT_EQ(Cp1252ToUtf16(0x9F), u'\u0178');
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Cp1252ToUtf16(undefined), char16_t(undefined));
    // Every other byte of the range maps outside the C1 controls.
    for (int b = 0x80; b < 0xA0; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
        EXPECT_GE(Cp1252ToUtf16(b), char16_t(0x100)) << std::hex << b;
    }
}

TEST(Cp1252, ByteOrderMarksAreOrdinaryCharacters) {
    EXPECT_EQ(DecodeCp1252("\xEF\xBB\xBFok"), u"\u00EF\u00BB\u00BFok");
    EXPECT_EQ(DecodeCp1252(std::string("\xFF\xFEh\0i\0", 6)),
              std::u16string(u"\u00FF\u00FEh\0i\0", 6));
    EXPECT_TRUE(DecodeCp1252("").empty());
}

TEST(Cp1252, WholeBuffersDecodeLikeSingleBytes) {
    // Every byte value at every offset of the block-wise decoding.
    std::string all;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b) all += char((b * 7 + round) & 0xFF);
    for (std::size_t start = 0; start < 17; ++start) {
        const std::u16string decoded = DecodeCp1252(std::string_view(all).substr(start));
        ASSERT_EQ(decoded.size(), all.size() - start);
        for (std::size_t i = 0; i < decoded.size(); ++i)
            ASSERT_EQ(decoded[i], Cp1252ToUtf16(static_cast<unsigned char>(all[start + i])))
                << "offset " << start + i;
    }
}
