// Own
#include "base/Error.h"
#include "support/GifBuilder.h"
#include "support/TestData.h"
#include "viewers/gif/core/GifImage.h"
#include "viewers/image/core/BmpReader.h"

// C++
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

// Test
#include <gtest/gtest.h>

namespace {

void load(TGIFImage& image, const std::vector<uint8_t>& bytes) {
    LoadGif(image, bytes.data(), bytes.size(), true);
}

/// The raster's pixels as palette indexes, top row first.
std::vector<uint8_t> indexes(const TBitmap& raster) {
    std::vector<uint8_t> out;
    const int bits = raster.bitsPerPixel();
    for (int y = 0; y < raster.height(); ++y) {
        const uint8_t* row = raster.scanLine(y);
        for (int x = 0; x < raster.width(); ++x) {
            const int bitPos = x * bits;
            out.push_back(
                uint8_t((row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1 << bits) - 1)));
        }
    }
    return out;
}

struct Twin {
    const char* gif;
    const char* bmp;
    /// Palette twins hold the very same pixels. True-colour twins are the
    /// originals the GIF was quantised from: only close, pixel by pixel.
    bool exact;
};

/// Mean and largest difference over all channels of two ARGB pictures.
std::pair<double, int> difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    double sum = 0;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int d = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
            sum += d;
            largest = std::max(largest, d);
        }
    return {sum / double(a.size() * 3), largest};
}

class GifTwins : public testing::TestWithParam<Twin> {};

TEST_P(GifTwins, DecodeToThePixelsOfTheBmpTwin) {
    TARVEL_NEED_SHARED("wuffs");
    const Twin twin = GetParam();
    TGIFImage image;
    image.LoadFromFile(SharedTestPath(std::string("wuffs/") + twin.gif));
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_FALSE(image.Frame(0).Damaged);
    EXPECT_EQ(image.Frame(0).KeyColor, clNone);
    const TBitmap bmp = TBmpReader::ReadFile(SharedTestPath(std::string("wuffs/") + twin.bmp));
    const TBitmap& raster = image.FrameRaster(0);
    ASSERT_EQ(raster.width(), bmp.width());
    ASSERT_EQ(raster.height(), bmp.height());
    EXPECT_FALSE(raster.topDown());
    const auto got = raster.toArgb32();
    const auto expected = bmp.toArgb32();
    if (!twin.exact) {
        const auto [mean, largest] = difference(got, expected);
        // Quantising to 256 colours moves channels by a few steps on average;
        // a wrong row order or palette moves them by tens.
        EXPECT_LT(mean, 6.0) << "largest difference " << largest;
        return;
    }
    const auto mismatch = std::mismatch(got.begin(), got.end(), expected.begin());
    EXPECT_TRUE(mismatch.first == got.end())
        << "first difference at pixel " << (mismatch.first - got.begin()) << ": " << std::hex
        << *mismatch.first << " instead of " << *mismatch.second;
}

INSTANTIATE_TEST_SUITE_P(
    Shared, GifTwins,
    testing::Values(Twin{"bricks-dither.gif", "bricks-dither.bmp", true},
                    Twin{"bricks-gray.gif", "bricks-gray.bmp", true},
                    Twin{"bricks-nodither.gif", "bricks-nodither.bmp", true},
                    Twin{"pjw-thumbnail.gif", "pjw-thumbnail.bmp", true},
                    Twin{"harvesters.gif", "harvesters.bmp", false},
                    Twin{"hat.gif", "hat.bmp", false},
                    Twin{"hibiscus.primitive.gif", "hibiscus.primitive.bmp", false},
                    Twin{"hibiscus.regular.gif", "hibiscus.regular.bmp", false},
                    Twin{"hippopotamus.regular.gif", "hippopotamus.bmp", false},
                    Twin{"hippopotamus.interlaced.gif", "hippopotamus.bmp", false}),
    // Named after the GIF file, so that one case can be run again by name.
    [](const testing::TestParamInfo<Twin>& info) {
        std::string name = info.param.gif;
        name.resize(name.rfind('.'));
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// Real files: an interlaced one against its plain twin, a cut one, an animation.
TEST(GifPixels, SharedFilesInterlacedCutAndAnimated) {
    TARVEL_NEED_SHARED("wuffs");
    TGIFImage regular, interlaced;
    regular.LoadFromFile(SharedTestPath("wuffs/hippopotamus.regular.gif"));
    interlaced.LoadFromFile(SharedTestPath("wuffs/hippopotamus.interlaced.gif"));
    EXPECT_FALSE(regular.Frame(0).Interlaced);
    EXPECT_TRUE(interlaced.Frame(0).Interlaced);
    EXPECT_TRUE(regular.FrameRaster(0).toArgb32() == interlaced.FrameRaster(0).toArgb32());

    // Cut inside its first (254-byte) sub-block: a damaged frame of zeros.
    TGIFImage cut;
    cut.LoadFromFile(SharedTestPath("wuffs/hippopotamus.interlaced.truncated.gif"));
    ASSERT_EQ(cut.FrameCount(), 1);
    EXPECT_TRUE(cut.Frame(0).Damaged);
    const auto zeros = indexes(cut.FrameRaster(0));
    EXPECT_EQ(zeros.size(), 36u * 28u);
    EXPECT_TRUE(std::all_of(zeros.begin(), zeros.end(), [](uint8_t v) { return v == 0; }));

    TGIFImage animation;
    animation.LoadFromFile(SharedTestPath("wuffs/gifplayer-muybridge.gif"));
    ASSERT_GT(animation.FrameCount(), 1);
    for (int i = 0; i < animation.FrameCount(); ++i) {
        EXPECT_EQ(animation.FrameRaster(i).width(), animation.Frame(i).Item->FrameWidth);
        EXPECT_FALSE(animation.Frame(i).Damaged) << i;
    }
}

TEST(GifPixels, CutShortSubBlocksAreDroppedAndTheRestDecoded) {
    // Cut inside its second sub-block, a frame keeps what the first held...
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 64 * 40; ++i) pixels.push_back(uint8_t((i * 7 + i / 64) % 16));
    GifBuilder b;
    b.header().screen(64, 40, 16).frame(0, 0, 64, 40, pixels, 0, false, 4);
    TGIFImage full;
    load(full, b.bytes);
    EXPECT_EQ(indexes(full.FrameRaster(0)), pixels);
    const size_t dataStart = 13 + 16 * 3 + 10 + 1;
    ASSERT_GT(b.bytes.size(), dataStart + 256 + 10);
    b.bytes.resize(dataStart + 256 + 10);
    TGIFImage part;
    load(part, b.bytes);
    EXPECT_TRUE(part.Frame(0).Damaged);
    const auto got = indexes(part.FrameRaster(0));
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 64, got.begin()));
    EXPECT_TRUE(std::all_of(got.end() - 64, got.end(), [](uint8_t v) { return v == 0; }));
    // ...and cut inside its first, nothing of it: a damaged frame of zeros.
    b.bytes.resize(dataStart + 100);
    TGIFImage none;
    load(none, b.bytes);
    EXPECT_TRUE(none.Frame(0).Damaged);
    const auto zeros = indexes(none.FrameRaster(0));
    EXPECT_EQ(zeros.size(), 64u * 40u);
    EXPECT_TRUE(std::all_of(zeros.begin(), zeros.end(), [](uint8_t v) { return v == 0; }));
}

TEST(GifPixels, InterlacedRowsLandInPlaceForHeightsOneToNine) {
    for (int height = 1; height <= 9; ++height) {
        // Row y is filled with the value y; the stream carries rows in pass order.
        std::vector<int> order;
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < height; y += step) order.push_back(y);
        std::vector<uint8_t> stream;
        for (int y : order)
            for (int x = 0; x < 3; ++x) stream.push_back(uint8_t(y));
        GifBuilder b;
        b.header()
            .screen(3, uint16_t(height), 16)
            .frame(0, 0, 3, uint16_t(height), stream, 0, true, 4);
        TGIFImage image;
        load(image, b.bytes);
        ASSERT_EQ(image.FrameCount(), 1);
        EXPECT_TRUE(image.Frame(0).Interlaced);
        const auto got = indexes(image.FrameRaster(0));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 3; ++x) EXPECT_EQ(got[size_t(y * 3 + x)], y) << height;
    }
}

TEST(GifPixels, DepthAndPaletteFollowThePixelBits) {
    for (auto [colors, depth] : {std::pair{2, 1}, {4, 4}, {16, 4}, {32, 8}, {256, 8}}) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 21; ++i) pixels.push_back(uint8_t(i % colors));
        int codeSize = 2;
        while ((1 << codeSize) < colors) ++codeSize;
        GifBuilder b;
        b.header().screen(7, 3, colors).frame(0, 0, 7, 3, pixels, 0, false, codeSize);
        TGIFImage image;
        load(image, b.bytes);
        const TBitmap& raster = image.FrameRaster(0);
        EXPECT_EQ(raster.bitsPerPixel(), depth);
        ASSERT_EQ(raster.palette.size(), size_t(1) << depth);
        EXPECT_EQ(indexes(raster), pixels) << colors;
        const uint32_t c1 = GifBuilder::colorOf(1);
        EXPECT_EQ(raster.palette[1],
                  (TRGBQuad{uint8_t(c1 >> 16), uint8_t(c1 >> 8), uint8_t(c1), 0}));
        if (size_t(colors) < raster.palette.size()) {
            EXPECT_EQ(raster.palette.back(), (TRGBQuad{128, 128, 128, 128}));
        }
    }
}

TEST(GifPixels, IndexesBeyondTheTableAreMaskedAndShortDataLeavesZeros) {
    // A 2-colour table with code size 3: index 5 is masked to 1.
    GifBuilder b;
    b.header().screen(3, 2, 2).frame(0, 0, 3, 2, {5, 0, 1, 1, 1, 1}, 0, false, 3);
    TGIFImage image;
    load(image, b.bytes);
    EXPECT_EQ(indexes(image.FrameRaster(0)), (std::vector<uint8_t>{1, 0, 1, 1, 1, 1}));

    // The stream ends after two pixels: the frame is damaged, the rest zero.
    GifBuilder c;
    c.header().screen(3, 2, 4).raw({0x2C}).u16(0).u16(0).u16(3).u16(2).raw({0, 2});
    c.subBlocks(packCodes({4, 3, 3}, 2));
    load(image, c.bytes);
    EXPECT_TRUE(image.Frame(0).Damaged);
    EXPECT_EQ(indexes(image.FrameRaster(0)), (std::vector<uint8_t>{3, 3, 0, 0, 0, 0}));
}

TEST(GifPixels, SmallCodeSizeWithALargeTableStillExpandsTableCodes) {
    // 256 colours but only indexes 0..3 used: code size 2 is valid, and the
    // table codes 6, 7, ... must expand as strings, not stand for colours.
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 200; ++i) pixels.push_back(uint8_t((i / 5) % 4));
    GifBuilder b;
    b.header().screen(20, 10, 256).frame(0, 0, 20, 10, pixels, 0, false, 2);
    TGIFImage image;
    load(image, b.bytes);
    EXPECT_EQ(image.FrameRaster(0).bitsPerPixel(), 8);
    EXPECT_EQ(indexes(image.FrameRaster(0)), pixels);
}

TEST(GifPixels, RastersKeepOnlyThePartOfTheFrameOnTheScreen) {
    // Nothing off the screen is ever drawn: a frame larger than the screen
    // costs no more memory than the screen.
    GifBuilder b;
    b.header().screen(3, 2, 2).frame(1, 0, 4, 3, {1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0, 1});
    b.frame(60000, 60000, 4, 1, {1, 1, 0, 1});
    TGIFImage image;
    load(image, b.bytes);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.FrameRaster(0).width(), 2);
    EXPECT_EQ(image.FrameRaster(0).height(), 2);
    EXPECT_EQ(indexes(image.FrameRaster(0)), (std::vector<uint8_t>{1, 1, 0, 1}));
    EXPECT_EQ(image.Frame(1).OriginX, 60000);
    EXPECT_TRUE(image.FrameRaster(1).empty());
}

}  // namespace
