#pragma once

// C++
#include <cstdint>
#include <vector>

// Own
#include "base/Colour.h"
#include "base/MemoryBudget.h"
#include "base/ZeroedArray.h"
#include "viewers/gif/core/GifImage.h"

/** A rectangle of pixels: left, top, width, height. */
struct TPixelRect {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;

    bool Empty() const { return W <= 0 || H <= 0; }
    TPixelRect Intersected(const TPixelRect& other) const;
    /// True when every pixel of `inner` is in this one (an empty one always is).
    bool Contains(const TPixelRect& inner) const;
    bool operator==(const TPixelRect&) const = default;
};

/** A composed frame: 32-bit premultiplied ARGB pixels, top row first. */
struct TComposedPicture {
    int Width = 0;
    int Height = 0;
    /// 0xAARRGGBB. Opaque pixels have alpha 0xFF; keyed pixels are 0 (fully
    /// transparent) when the picture is marked as keyed. Only the composer's
    /// ValidRect holds the frame; memory outside it was never written.
    TZeroedArray<uint32_t> Pixels;
    /// The colour the empty parts were filled with (0x00BBGGRR, resolved).
    TColor FillColor = 0;
    /// True when the key colour's pixels are left out (stored as 0).
    bool Keyed = false;
    /// The pixels in the image's budget.
    TBudgetShare Share;
};

/**
 * Composes the frames of a TGIFImage into one full-screen picture each,
 * following the disposal methods, and keeps the last one so that stepping to
 * the next frame draws that frame only. A step backwards, a change of image or
 * the frame after one with disposal 3 rebuilds the picture, starting from the
 * latest full-screen frame that hides everything before it.
 *
 * Only a window of the screen is composed: what can be seen. The picture
 * has the screen's size (held in the image's budget), but only the windows
 * asked for are ever written, so the rest is never committed; a frame
 * outside the window is neither drawn nor decoded. A step draws within the
 * window composed last; asking for a window that it does not cover rebuilds
 * the picture for the new one, in the same memory while the image is the
 * same. The pixels inside the window are the same whatever the window.
 */
class TGIFComposer {
public:
    /// The fill colour used when neither a key nor a screen background applies;
    /// stands for clWindow, so the caller sets it to the window colour.
    TColor WindowColor = 0x00FFFFFF;

    /// Composes frame `index` (limited to the frame range) within `window`
    /// (the whole screen when none is given) and returns the picture; `key`
    /// receives its key colour, clNone for none. With `transparent` false a
    /// new picture is never marked as keyed. The same frame asked for again
    /// within what is composed is returned as it is. Decoding a frame may
    /// throw, and so may a picture beyond the image's budget; a picture
    /// being built from scratch is then dropped.
    const TComposedPicture& ComposeFrame(TGIFImage& image, int index, bool transparent, TColor& key,
                                         const TPixelRect* window = nullptr);

    /// Drops the cached picture (a new image, or a change that needs a rebuild).
    void Clear();

    const TComposedPicture* CacheBitmap() const {
        return CacheBitmap_.Pixels.empty() ? nullptr : &CacheBitmap_;
    }
    int CacheIndex() const { return CacheIndex_; }
    TColor CacheKey() const { return CacheKey_; }
    /// The part of CacheBitmap that holds frame CacheIndex.
    TPixelRect ValidRect() const { return Valid_; }

    /// The first frame drawn when frame `index` is composed from scratch.
    static int StartingFrame(const TGIFImage& image, int index);

private:
    void drawFrame(TGIFImage& image, int j);
    void fillRect(const TPixelRect& rect);

    TComposedPicture CacheBitmap_;
    int CacheIndex_ = -1;
    TColor CacheKey_ = clNone;
    TPixelRect Valid_;
    TColor builtWindowColor_ = 0;          // WindowColor when the picture was built
    const TGIFImage* builtFor_ = nullptr;  // the image CacheBitmap was made for
};

/// A colour as opaque 0xFFRRGGBB.
inline uint32_t colorToArgb(TColor color) {
    return 0xFF000000u | uint32_t(RedOf(color)) << 16 | uint32_t(GreenOf(color)) << 8 |
           uint32_t(BlueOf(color));
}
