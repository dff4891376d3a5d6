// Line-break normalisation: the two passes must agree and every break style
// must come out as CR LF, whatever the position of the break in a word.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "viewers/text/core/TextDecode.h"
#include "viewers/text/core/TextNormalize.h"

using text::CountAddedBytes;
using text::NormalizedLength;
using text::NormalizeLineBreaks;
using text::PieceEnd;

namespace {

// Reference: the rule written out byte by byte, without the word-wide scan.
std::string slowNormalize(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r') {
            out += "\r\n";
            if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
        } else if (in[i] == '\n') {
            out += "\r\n";
        } else {
            out += in[i];
        }
    }
    return out;
}

}  // namespace

TEST(TextNormalize, BreakStyles) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"a\n\rb", "a\r\n\r\nb"},  // LF CR is two breaks
        {"\r", "\r\n"},
        {"\n", "\r\n"},
        {"\r\n", "\r\n"},
        {"\r\r\n\n", "\r\n\r\n\r\n"},
        {std::string("abc\0d\ref", 8), std::string("abc\0d\r\nef", 9)},  // NUL passes
        {"x\r", "x\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormalizeLineBreaks(c.in), c.out) << "input of " << c.in.size() << " bytes";
        EXPECT_EQ(NormalizedLength(c.in.data(), c.in.size()), c.out.size());
    }
}

TEST(TextNormalize, AlreadyNormalTextIsUnchanged) {
    const std::string text = "first line\r\nsecond line, a little longer\r\n\r\nlast";
    EXPECT_EQ(CountAddedBytes(text.data(), text.size()), 0u);
    EXPECT_EQ(NormalizeLineBreaks(text), text);
}

TEST(TextNormalize, BreaksAtEveryOffsetOfAWord) {
    // Pairs that straddle the 8-byte blocks, and breaks at each position.
    for (std::size_t pad = 0; pad < 20; ++pad) {
        for (const char* brk : {"\r", "\n", "\r\n", "\n\r"}) {
            const std::string in = std::string(pad, 'x') + brk + std::string(pad % 9, 'y') + brk;
            EXPECT_EQ(NormalizeLineBreaks(in), slowNormalize(in)) << "pad " << pad;
        }
    }
}

TEST(TextNormalize, MatchesTheByteRuleOnRandomText) {
    std::mt19937 rng(12345);
    const char alphabet[] = {'a', '\r', '\n', '\0', 'z', ' ', '\x80', '\xff'};
    for (int round = 0; round < 500; ++round) {
        std::string in(rng() % 200, ' ');
        for (char& c : in) c = alphabet[rng() % sizeof alphabet];
        const std::string expected = slowNormalize(in);
        EXPECT_EQ(NormalizedLength(in.data(), in.size()), expected.size());
        EXPECT_EQ(NormalizeLineBreaks(in), expected);
    }
}

TEST(TextNormalize, NeverWritesPastTheGivenBuffer) {
    const std::string in = "a\nb\nc\nd\ne\nf\ng\nh\n";
    std::string out(10, '#');
    const std::size_t written = NormalizeLineBreaks(in.data(), in.size(), out.data(), 6);
    EXPECT_LE(written, 6u);
    EXPECT_EQ(out.substr(6), "####");
}

TEST(TextNormalize, PiecesEndAfterALineBreakAndAddUpToTheText) {
    std::mt19937 rng(17);
    // Characters of one to four bytes: a cut inside one would show its bytes
    // as 8-bit characters (and part a surrogate pair).
    static const char* const characters[] = {"w", "\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80"};
    std::string text;
    while (text.size() < 300000) {
        const std::size_t length = rng() % (rng() % 8 == 0 ? 9000 : 90);  // some lines too long
        for (std::size_t i = 0; i < length; ++i) text += characters[rng() % 4];
        text += "\r\n";
    }
    for (std::size_t want :
         {std::size_t(0), std::size_t(1), std::size_t(100), std::size_t(65536)}) {
        std::string joined;
        for (std::size_t from = 0; from < text.size();) {
            const std::size_t to = PieceEnd(text, from, want);
            ASSERT_GT(to, from);
            ASSERT_LE(to, text.size());
            // Never between a CR and its LF; after a break unless none is near.
            EXPECT_NE(text[to - 1], '\r');
            EXPECT_EQ(text::CharacterStart(text, to), to);
            if (to < text.size() && text[to - 1] != '\n') {
                const std::size_t wanted = std::max<std::size_t>(want, 1);
                EXPECT_LE(to - from, wanted + 3);
                EXPECT_GE(to - from + 3, wanted);
                EXPECT_GE(text.find('\n', to - 1), from + wanted + 4096);
            }
            joined.append(text, from, to - from);
            from = to;
        }
        EXPECT_EQ(joined, text) << "want " << want;
    }
    EXPECT_EQ(PieceEnd(text, text.size(), 10), text.size());
    EXPECT_EQ(PieceEnd("ab\r\ncd", 0, 3), 4u);
}
