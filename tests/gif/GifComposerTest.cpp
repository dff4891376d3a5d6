// Own
#include "base/Error.h"
#include "support/GifBuilder.h"
#include "viewers/gif/core/GifComposer.h"

// C++
#include <algorithm>
#include <string>

// Test
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kWindow = 0x00332211;

void load(TGIFImage& image, const GifBuilder& gif) {
    LoadGif(image, gif.bytes.data(), gif.bytes.size(), true);
}

/// A block of w x h pixels of one palette index.
std::vector<uint8_t> solid(int w, int h, uint8_t index) {
    return std::vector<uint8_t>(size_t(w * h), index);
}

uint32_t entry(int i) {
    return colorToArgb(GifBuilder::colorOf(i));
}

/// Expected pixels from rows of characters: '0'-'9' palette entries of the
/// builder's tables, 'w' the window colour, '.' a transparent pixel.
std::vector<uint32_t> picture(const std::vector<std::string>& rows) {
    std::vector<uint32_t> out;
    for (const std::string& row : rows)
        for (char c : row) {
            if (c == '.')
                out.push_back(0);
            else if (c == 'w')
                out.push_back(colorToArgb(kWindow));
            else
                out.push_back(entry(c - '0'));
        }
    return out;
}

struct Composed {
    TGIFComposer composer;
    uint32_t key = 0;
    Composed() { composer.WindowColor = kWindow; }
    std::vector<uint32_t> at(TGIFImage& image, int index, bool transparent = true) {
        const auto& pixels = composer.ComposeFrame(image, index, transparent, key).Pixels;
        return std::vector<uint32_t>(pixels.begin(), pixels.end());
    }
};

// Frame 0 fills the 4 x 4 screen with entry 1; a 2 x 2 frame of entry 2 at
// (1, 1) with the given disposal; a 1 x 1 frame of entry 3 at (0, 0).
GifBuilder threeFrames(int secondDisposal) {
    GifBuilder gif;
    gif.header().screen(4, 4, 4);
    gif.graphicControl(10, -1, 1).frame(0, 0, 4, 4, solid(4, 4, 1));
    gif.graphicControl(10, -1, secondDisposal).frame(1, 1, 2, 2, solid(2, 2, 2));
    gif.graphicControl(10).frame(0, 0, 1, 1, solid(1, 1, 3)).trailer();
    return gif;
}

}  // namespace

TEST(GifComposer, DisposalsZeroAndOneKeepEveryFrameUnderTheNext) {
    for (int disposal : {0, 1}) {
        TGIFImage image;
        load(image, threeFrames(disposal));
        Composed c;
        EXPECT_EQ(c.at(image, 0), picture({"1111", "1111", "1111", "1111"}));
        EXPECT_EQ(c.at(image, 1), picture({"1111", "1221", "1221", "1111"}));
        EXPECT_EQ(c.at(image, 2), picture({"3111", "1221", "1221", "1111"}));
        EXPECT_EQ(c.key, clNone);
        // Composed from scratch, the same picture comes out.
        Composed fresh;
        EXPECT_EQ(fresh.at(image, 2), picture({"3111", "1221", "1221", "1111"}));
    }
}

TEST(GifComposer, DisposalTwoLeavesItsRectangleInTheFillColour) {
    TGIFImage image;
    load(image, threeFrames(2));
    const auto expected = picture({"3111", "1ww1", "1ww1", "1111"});
    Composed step;
    step.at(image, 0);
    EXPECT_EQ(step.at(image, 1), picture({"1111", "1221", "1221", "1111"}));
    EXPECT_EQ(step.at(image, 2), expected);
    Composed fresh;
    EXPECT_EQ(fresh.at(image, 2), expected);
}

TEST(GifComposer, DisposalThreeLeavesNoTraceAndTheNextFrameIsComposedAfresh) {
    TGIFImage image;
    load(image, threeFrames(3));
    Composed c;
    c.at(image, 0);
    EXPECT_EQ(c.at(image, 1), picture({"1111", "1221", "1221", "1111"}));
    EXPECT_EQ(c.at(image, 2), picture({"3111", "1111", "1111", "1111"}));
}

TEST(GifComposer, BackwardJumpAndLoopRebuildFromTheStart) {
    TGIFImage image;
    load(image, threeFrames(0));
    Composed c;
    c.at(image, 2);
    EXPECT_EQ(c.at(image, 0), picture({"1111", "1111", "1111", "1111"}));
    EXPECT_EQ(c.composer.CacheIndex(), 0);
    // Indexes beyond the frames are limited to the last one.
    EXPECT_EQ(c.at(image, 7), picture({"3111", "1221", "1221", "1111"}));
    EXPECT_EQ(c.composer.CacheIndex(), 2);
}

TEST(GifComposer, TransparentFrameZeroKeysThePictureWithItsColour) {
    GifBuilder gif;
    gif.header().screen(3, 2, 4, 2);
    gif.graphicControl(10, 0).frame(0, 0, 2, 2, {0, 1, 1, 0});
    // Frame 1 has no transparency of its own, yet its pixels of frame 0's
    // transparent colour show what lies behind too.
    gif.graphicControl(10).frame(2, 0, 1, 2, {0, 3}).trailer();
    TGIFImage image;
    load(image, gif);
    Composed c;
    EXPECT_EQ(c.at(image, 0), picture({".1.", "1.."}));
    EXPECT_EQ(c.key, GifBuilder::colorOf(0));
    EXPECT_TRUE(c.composer.CacheBitmap()->Keyed);
    EXPECT_EQ(c.at(image, 1), picture({".1.", "1.3"}));
    EXPECT_EQ(c.key, GifBuilder::colorOf(0));
}

TEST(GifComposer, TransparentOffDrawsTheKeyAsAnOrdinaryColour) {
    GifBuilder gif;
    gif.header().screen(3, 1, 4);
    gif.graphicControl(10, 0).frame(0, 0, 2, 1, {0, 1}).trailer();
    TGIFImage image;
    load(image, gif);
    Composed c;
    EXPECT_EQ(c.at(image, 0, false), picture({"010"}));
    EXPECT_EQ(c.key, GifBuilder::colorOf(0));
    EXPECT_FALSE(c.composer.CacheBitmap()->Keyed);
}

TEST(GifComposer, LaterTransparentFrameFillsWithTheGlobalBackground) {
    GifBuilder gif;
    gif.header().screen(3, 2, 4, /*background*/ 2);
    gif.graphicControl(10).frame(0, 0, 1, 1, {1});
    gif.graphicControl(10, 3).frame(1, 0, 2, 1, {3, 0}).trailer();
    TGIFImage image;
    load(image, gif);
    Composed c;
    EXPECT_EQ(c.at(image, 0), picture({"122", "222"}));
    EXPECT_EQ(c.key, clNone);
    // The transparent pixel of frame 1 leaves the background as it was.
    EXPECT_EQ(c.at(image, 1), picture({"120", "222"}));

    // Without a global table there is no screen background: the window colour.
    GifBuilder local;
    local.header().screen(3, 1);
    local.graphicControl(10).frame(0, 0, 1, 1, {1}, 4);
    local.graphicControl(10, 3).frame(1, 0, 1, 1, {3}, 4).trailer();
    TGIFImage other;
    load(other, local);
    Composed d;
    EXPECT_EQ(d.at(other, 1), picture({"1ww"}));
}

TEST(GifComposer, OneBitFramesKeyOnTheirTransparentColour) {
    GifBuilder gif;
    gif.header().screen(4, 1, 2);
    gif.graphicControl(10).frame(0, 0, 4, 1, {0, 0, 0, 0});
    // Index 0 is the transparent one: frame 0 shows through there.
    gif.graphicControl(10, 0).frame(0, 0, 4, 1, {1, 0, 1, 0}).trailer();
    TGIFImage image;
    load(image, gif);
    ASSERT_EQ(image.FrameRaster(1).bitsPerPixel(), 1);
    Composed c;
    EXPECT_EQ(c.at(image, 1), picture({"1010"}));
}

TEST(GifComposer, StartingFrameIsTheLatestFullScreenFrameHidingTheOnesBefore) {
    GifBuilder gif;
    gif.header().screen(2, 2, 4);
    gif.graphicControl(10).frame(0, 0, 2, 2, solid(2, 2, 1));        // 0
    gif.graphicControl(10).frame(0, 0, 1, 1, {2});                   // 1: partial
    gif.graphicControl(10).frame(0, 0, 2, 2, solid(2, 2, 3));        // 2: full, opaque
    gif.graphicControl(10, 0).frame(0, 0, 2, 2, solid(2, 2, 1));     // 3: full, keyed
    gif.graphicControl(10, 0, 2).frame(0, 0, 2, 2, solid(2, 2, 2));  // 4: keyed, disposal 2
    gif.graphicControl(10).frame(1, 1, 1, 1, {3}).trailer();         // 5
    TGIFImage image;
    load(image, gif);
    EXPECT_EQ(TGIFComposer::StartingFrame(image, 1), 0);
    EXPECT_EQ(TGIFComposer::StartingFrame(image, 2), 2);
    EXPECT_EQ(TGIFComposer::StartingFrame(image, 3), 2);
    // A keyed frame with disposal 2 starts only the frames after it.
    EXPECT_EQ(TGIFComposer::StartingFrame(image, 4), 2);
    EXPECT_EQ(TGIFComposer::StartingFrame(image, 5), 4);
    Composed c;
    // The screen background (entry 0) fills: some frame is transparent.
    EXPECT_EQ(c.at(image, 5), picture({"00", "03"}));
}

TEST(GifComposer, FramesReachingPastTheScreenAreClipped) {
    GifBuilder gif;
    gif.header().screen(2, 2, 4);
    gif.graphicControl(10).frame(0, 0, 2, 2, solid(2, 2, 1));
    gif.graphicControl(10).frame(1, 1, 3, 3, solid(3, 3, 2)).trailer();
    TGIFImage image;
    load(image, gif);
    Composed c;
    EXPECT_EQ(c.at(image, 1), picture({"11", "12"}));
}

TEST(GifComposer, WindowsAndRastersGivenBackComposeTheSamePixels) {
    // Every disposal, keyed frames, frames past the edges and off the screen.
    auto noise = [](int w, int h, int seed) {
        std::vector<uint8_t> pixels(size_t(w * h));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t((i * 7 + i / 5 + seed) % 4);
        return pixels;
    };
    GifBuilder gif;
    gif.header().screen(16, 12, 4, 2);
    gif.graphicControl(10, -1, 1).frame(0, 0, 16, 12, noise(16, 12, 0));
    gif.graphicControl(10, 0, 2).frame(2, 3, 6, 5, noise(6, 5, 1));
    gif.graphicControl(10, -1, 3).frame(7, 2, 8, 8, noise(8, 8, 2));
    gif.graphicControl(10, -1, 1).frame(13, 10, 5, 4, noise(5, 4, 3));
    gif.graphicControl(10, 3, 2).frame(0, 0, 16, 12, noise(16, 12, 4));
    gif.graphicControl(10, -1, 0).frame(0, 0, 3, 3, noise(3, 3, 5));
    gif.graphicControl(10, -1, 1).frame(40, 40, 4, 4, noise(4, 4, 6));
    gif.graphicControl(10, 1, 1).frame(4, 4, 10, 6, noise(10, 6, 7)).trailer();
    TGIFImage all, tight;
    load(all, gif);
    load(tight, gif);
    // Room for the picture and one frame's decoding: rasters are given back
    // at almost every step and decoded again.
    uint64_t largest = 0;
    for (int i = 0; i < tight.FrameCount(); ++i)
        largest = std::max(largest, FrameDecodeBytes(tight.Frame(i)));
    const uint64_t held = tight.Budget().Held() - tight.Frame(0).Raster->bits().size();
    tight.Budget().SetLimit(held + ScreenBytes(tight) + largest);

    // Each window stays for three steps: a rebuild for it, then steps within it.
    const TPixelRect windows[] = {{5, 4, 7, 5}, {0, 0, 8, 6}, {0, 0, 16, 12}, {12, 0, 9, 30}};
    Composed reference, windowed;
    int step = 0, givenBack = 0;
    for (int index : {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7, 3, 4, 2, 2}) {
        SCOPED_TRACE(step);
        const TPixelRect window = windows[step++ / 3 % 4].Intersected({0, 0, 16, 12});
        const auto expected = reference.at(all, index);
        uint32_t key = 0;
        const TComposedPicture& picture =
            windowed.composer.ComposeFrame(tight, index, true, key, &window);
        EXPECT_EQ(key, reference.key);
        for (int y = window.Y; y < window.Y + window.H; ++y)
            for (int x = window.X; x < window.X + window.W; ++x)
                ASSERT_EQ(picture.Pixels[size_t(y * 16 + x)], expected[size_t(y * 16 + x)])
                    << x << "," << y;
        for (int i = 0; i < tight.FrameCount(); ++i)
            givenBack += tight.Frame(i).Decoded && !tight.Frame(i).Raster;
    }
    EXPECT_GT(givenBack, 0);
    EXPECT_LE(tight.Budget().Peak(), tight.Budget().Limit());
    EXPECT_FALSE(tight.Frame(6).Decoded);  // off the screen
}

TEST(GifComposer, FailingDecodeDropsAPictureBuiltFromScratchAndKeepsAReusedOne) {
    GifBuilder gif;
    gif.header().screen(2, 1);
    gif.graphicControl(10).frame(0, 0, 2, 1, {1, 1}, 4);
    gif.graphicControl(10).frame(0, 0, 1, 1, {0}).trailer();  // no colour table at all
    TGIFImage image;
    load(image, gif);
    Composed fresh;
    EXPECT_THROW(fresh.at(image, 1), EError);
    EXPECT_EQ(fresh.composer.CacheBitmap(), nullptr);
    EXPECT_EQ(fresh.composer.CacheIndex(), -1);

    Composed step;
    step.at(image, 0);
    try {
        step.at(image, 1);
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Wrong number of colors; must be a power of 2");
    }
    ASSERT_NE(step.composer.CacheBitmap(), nullptr);
    EXPECT_EQ(step.composer.CacheIndex(), 0);
}

TEST(GifComposer, AnImageWithoutFramesComposesToNothing) {
    TGIFImage image;
    Composed c;
    c.key = 0;
    EXPECT_TRUE(c.at(image, 0).empty());
    EXPECT_EQ(c.key, clNone);
    EXPECT_EQ(c.composer.CacheIndex(), -1);
}
