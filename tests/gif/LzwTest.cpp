// Own
#include "support/GifBuilder.h"
#include "viewers/gif/core/Lzw.h"

// C++
#include <algorithm>
#include <random>

// Test
#include <gtest/gtest.h>

namespace {

struct Decoded {
    LzwDecoder::Result result;
    std::vector<uint8_t> pixels;
};

Decoded decode(std::vector<uint8_t> codes, int codeSize, size_t outSize, uint8_t mask = 0xFF) {
    const size_t size = codes.size();
    codes.resize(size + LzwDecoder::kPadding, 0);
    Decoded d;
    d.pixels.assign(outSize, 0xEE);
    LzwDecoder decoder;
    d.result = decoder.decode(codes.data(), size, codeSize, mask, d.pixels.data(), outSize);
    return d;
}

std::vector<uint8_t> randomPixels(size_t n, int colors, uint32_t seed, int runLength) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out;
    while (out.size() < n) {
        const uint8_t v = uint8_t(rng() % uint32_t(colors));
        const size_t run = 1 + rng() % uint32_t(runLength);
        for (size_t i = 0; i < run && out.size() < n; ++i) out.push_back(v);
    }
    return out;
}

TEST(Lzw, RoundTripsAtEveryCodeSize) {
    for (int codeSize = 2; codeSize <= 8; ++codeSize) {
        for (int runLength : {1, 4, 40}) {
            const auto pixels = randomPixels(50000, 1 << codeSize, uint32_t(codeSize), runLength);
            for (bool clearWhenFull : {true, false}) {
                const auto d = decode(lzwEncode(pixels, codeSize, true, clearWhenFull), codeSize,
                                      pixels.size());
                EXPECT_EQ(d.result.status, LzwDecoder::Status::Finished);
                ASSERT_EQ(d.result.written, pixels.size());
                EXPECT_EQ(d.pixels, pixels) << "code size " << codeSize << " run " << runLength;
            }
        }
    }
}

TEST(Lzw, StreamWithoutLeadingClearCodeDecodesLikeOneWithIt) {
    const auto pixels = randomPixels(20000, 16, 7, 3);
    const auto d = decode(lzwEncode(pixels, 4, false), 4, pixels.size());
    EXPECT_EQ(d.result.status, LzwDecoder::Status::Finished);
    EXPECT_EQ(d.pixels, pixels);
}

TEST(Lzw, KwKwKCodeRepeatsThePreviousString) {
    // Clear, 1, then 6 (the code being defined): 1 1 1.
    const auto d = decode(packCodes({4, 1, 6, 5}, 2), 2, 3);
    EXPECT_EQ(d.result.status, LzwDecoder::Status::Finished);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 1, 1}));
}

TEST(Lzw, StopsWhenTheOutputIsFullOrAtTheEndCode) {
    const auto d = decode(packCodes({4, 1, 6, 6, 5}, 2), 2, 4);
    EXPECT_EQ(d.result.written, 4u);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 1, 1, 1}));

    const auto e = decode(packCodes({4, 2, 3, 5}, 2), 2, 4);
    EXPECT_EQ(e.result.status, LzwDecoder::Status::Finished);
    EXPECT_EQ(e.result.written, 2u);
    EXPECT_EQ(e.pixels[0], 2);
    EXPECT_EQ(e.pixels[1], 3);
}

TEST(Lzw, EightByteCopiesStayInsideTheOutput) {
    const auto pixels = randomPixels(400, 4, 11, 40);
    auto codes = lzwEncode(pixels, 2, true, true);
    const size_t size = codes.size();
    codes.resize(size + LzwDecoder::kPadding, 0);
    LzwDecoder decoder;
    // Output ending at every point of the picture, long strings included:
    // the bytes after it are never written.
    for (size_t outSize = 1; outSize <= pixels.size(); ++outSize) {
        std::vector<uint8_t> buffer(outSize + 16, 0xEE);
        const auto r = decoder.decode(codes.data(), size, 2, 0xFF, buffer.data(), outSize);
        ASSERT_EQ(r.written, outSize);
        EXPECT_TRUE(
            std::equal(pixels.begin(), pixels.begin() + std::ptrdiff_t(outSize), buffer.begin()))
            << outSize;
        EXPECT_EQ(std::count(buffer.begin() + std::ptrdiff_t(outSize), buffer.end(), 0xEE), 16)
            << outSize;
    }
    // A stream that ends before the output is full writes at most
    // kOvershoot bytes past what it decoded.
    std::vector<uint8_t> buffer(pixels.size() + 64, 0xEE);
    const auto r = decoder.decode(codes.data(), size, 2, 0xFF, buffer.data(), buffer.size());
    ASSERT_EQ(r.written, pixels.size());
    const auto untouched = buffer.begin() + std::ptrdiff_t(r.written + LzwDecoder::kOvershoot);
    EXPECT_EQ(std::count(untouched, buffer.end(), 0xEE), buffer.end() - untouched);
}

TEST(Lzw, RunningOutOfCodesIsReportedWithThePixelsSoFar) {
    // Five codes of 3, 3, 3, 3 and 4 bits fill exactly two bytes.
    const auto d = decode(packCodes({4, 1, 2, 3, 1}, 2), 2, 10);
    EXPECT_EQ(d.result.status, LzwDecoder::Status::Exhausted);
    EXPECT_EQ(d.result.written, 4u);
    EXPECT_EQ(decode({}, 2, 10).result.status, LzwDecoder::Status::Exhausted);
}

TEST(Lzw, PixelsAreMasked) {
    const auto d = decode(packCodes({8, 7, 5, 9}, 3), 3, 2, 0x3);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{3, 1}));
}

TEST(Lzw, CodesBeyondTheTableReadAsZeros) {
    // 7 has never been written: it reads as "0 0".
    const auto d = decode(packCodes({4, 1, 7, 5}, 2), 2, 3);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 0, 0}));
}

TEST(Lzw, FullTableKeepsTwelveBitCodesUntilTheNextClear) {
    // Fill the table with literals, then keep sending 12-bit literals.
    std::vector<uint32_t> codes{4};
    std::vector<uint8_t> expected;
    for (int i = 0; i < 4200; ++i) {
        codes.push_back(uint32_t(i % 3));
        expected.push_back(uint8_t(i % 3));
    }
    codes.push_back(4);
    codes.push_back(2);
    codes.push_back(5);
    expected.push_back(2);
    const auto d = decode(packCodes(codes, 2), 2, expected.size());
    EXPECT_EQ(d.result.status, LzwDecoder::Status::Finished);
    EXPECT_EQ(d.pixels, expected);
}

TEST(Lzw, OverlongExpansionThroughStaleEntriesIsRefused) {
    // Build entries of growing length with KwKwK codes, clear, then chain new
    // entries onto the longest stale one until a string passes 4096 pixels.
    std::vector<uint32_t> codes{4, 0};
    for (uint32_t c = 6; c < 4096; ++c) codes.push_back(c);
    // After the clear, literals widen the codes back to 12 bits; then the
    // stale entry 4095 (4091 pixels) is extended by KwKwK codes.
    codes.push_back(4);
    for (int i = 0; i < 2043; ++i) codes.push_back(0);
    codes.push_back(4095);
    for (uint32_t c = 2049; c < 2060; ++c) codes.push_back(c);
    const auto d = decode(packCodes(codes, 2), 2, size_t(1) << 25);
    EXPECT_EQ(d.result.status, LzwDecoder::Status::TooLong);
}

}  // namespace
