// Decoding through the user's charset: well-formed UTF-8 sequences become
// their characters, every other byte its Windows-1252 character; no byte is
// lost, and a cut outside a character decodes the same as no cut.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "viewers/text/core/Cp1252.h"
#include "viewers/text/core/TextDecode.h"

using text::CharacterStart;
using text::DecodeText;
using text::TextCharset;

namespace {

std::u16string utf8(std::string_view bytes) {
    return DecodeText(TextCharset::Utf8, bytes);
}

}  // namespace

TEST(TextDecode, CharsetComesFromTheCodesetName) {
    // The C locale's ASCII ("ANSI_X3.4-1968" in glibc) reads as UTF-8 too.
    for (const char* name : {"UTF-8", "utf-8", "UTF8", "utf8", "ANSI_X3.4-1968", "US-ASCII"})
        EXPECT_EQ(text::CharsetNamed(name), TextCharset::Utf8) << name;
    for (const char* name : {"ISO-8859-1", "ISO-8859-15", "CP1252", "KOI8-R", "", "UTF-16"})
        EXPECT_EQ(text::CharsetNamed(name), TextCharset::Windows1252) << name;
}

TEST(TextDecode, WellFormedSequencesAreCharactersAndOtherBytesWindows1252) {
    // Accents, a dash, curly quotes, a check mark, CJK and one outside the BMP.
    EXPECT_EQ(utf8("Caf\xC3\xA9 \xE2\x80\x94 \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x9C\x93 \xE4\xB8\xAD "
                   "\xF0\x9F\x98\x80"),
              u"Caf\u00E9 \u2014 \u201Cq\u201D \u2713 \u4E2D \U0001F600");
    // A UTF-8 byte-order mark is the character it encodes.
    EXPECT_EQ(utf8("\xEF\xBB\xBFok"), u"\uFEFFok");
    // An 8-bit text reads as before.
    EXPECT_EQ(utf8("caf\xE9 \x80 \x93q\x94 \x81"), u"caf\u00E9 \u20AC \u201Cq\u201D \u0081");
    // Overlong forms, surrogates, code points above U+10FFFF, lone
    // continuation bytes and sequences cut short: each byte on its own.
    struct Case {
        std::string bytes;
    } illFormed[] = {{"\xC0\x80"},         {"\xC1\xBF"},         {"\xE0\x9F\xBF"},
                     {"\xED\xA0\x80"},     {"\xF0\x8F\xBF\xBF"}, {"\xF4\x90\x80\x80"},
                     {"\xF5\x80\x80\x80"}, {"\x80\xBF"},         {"\xE2\x80"},
                     {"\xF0\x9F\x98"},     {"\xFF\xFE"}};
    for (const Case& c : illFormed) {
        std::u16string bytewise;
        for (unsigned char b : c.bytes) bytewise += text::Cp1252ToUtf16(b);
        EXPECT_EQ(utf8(c.bytes), bytewise) << testing::PrintToString(c.bytes);
    }
    // A sequence cut short gives its bytes back, and what follows is read anew.
    EXPECT_EQ(utf8("\xE2\x80"
                   "A\xC3\xA9"),
              u"\u00E2\u20ACA\u00E9");
    // Any other charset: one character per byte, the mark included.
    EXPECT_EQ(DecodeText(TextCharset::Windows1252, "\xEF\xBB\xBF\xC3\xA9"),
              u"\u00EF\u00BB\u00BF\u00C3\u00A9");
    EXPECT_TRUE(utf8("").empty());
}

TEST(TextDecode, CutsOutsideCharactersDecodeAsTheWhole) {
    // Random mixes of ASCII, well-formed and broken sequences, at every
    // offset of the block-wise decoding and with a cut at every position.
    static const char* const parts[] = {
        "a",    "bcdefghijklmnopq", "\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80", "\xE9",
        "\x80", "\xE2\x80",         "\xF4"};
    std::mt19937 rng(22);
    for (int round = 0; round < 40; ++round) {
        std::string bytes;
        while (bytes.size() < 200) bytes += parts[rng() % std::size(parts)];
        const std::u16string whole = utf8(bytes);
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            const std::size_t at = CharacterStart(bytes, cut);
            ASSERT_LE(at, cut);
            ASSERT_GE(at + 3, cut);
            const std::string_view all(bytes);
            ASSERT_EQ(utf8(all.substr(0, at)) + utf8(all.substr(at)), whole)
                << "round " << round << " cut " << cut;
        }
    }
}
