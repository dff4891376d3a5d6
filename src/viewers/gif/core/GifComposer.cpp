// Own
#include "viewers/gif/core/GifComposer.h"

// C++
#include <algorithm>
#include <new>

// Project
#include "base/Error.h"
#include "base/SystemError.h"

namespace {

TColor quadColor(const TRGBQuad& q) {
    return RGBColor(q.red, q.green, q.blue);
}

bool hasLogicalSize(const TGIFImage& image, const TGIFFrame& frame) {
    return !frame.Item->CodeStream.empty() && frame.Item->FrameWidth == image.LogicalWidth &&
           frame.Item->FrameHeight == image.LogicalHeight;
}

/// Where a frame's raster goes: its origin and the size its raster has (none
/// without a code stream), known without decoding it.
TPixelRect frameRect(const TGIFFrame& frame) {
    if (frame.Item->CodeStream.empty()) return {frame.OriginX, frame.OriginY, 0, 0};
    return {frame.OriginX, frame.OriginY, frame.Item->FrameWidth, frame.Item->FrameHeight};
}

}  // namespace

TPixelRect TPixelRect::Intersected(const TPixelRect& other) const {
    const int64_t x0 = std::max(X, other.X), y0 = std::max(Y, other.Y);
    const int64_t x1 = std::min(int64_t(X) + W, int64_t(other.X) + other.W);
    const int64_t y1 = std::min(int64_t(Y) + H, int64_t(other.Y) + other.H);
    if (x0 >= x1 || y0 >= y1) return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

bool TPixelRect::Contains(const TPixelRect& inner) const {
    if (inner.Empty()) return true;
    return inner.X >= X && inner.Y >= Y && int64_t(inner.X) + inner.W <= int64_t(X) + W &&
           int64_t(inner.Y) + inner.H <= int64_t(Y) + H;
}

void TGIFComposer::Clear() {
    CacheBitmap_ = TComposedPicture();
    CacheIndex_ = -1;
    CacheKey_ = clNone;
    Valid_ = {};
    builtFor_ = nullptr;
}

int TGIFComposer::StartingFrame(const TGIFImage& image, int index) {
    for (int i = index; i >= 1; --i) {
        const TGIFFrame& frame = image.Frame(i);
        if (!hasLogicalSize(image, frame)) continue;
        if (frame.KeyColor == clNone || (frame.Disposal == 2 && i < index)) return i;
    }
    return 0;
}

const TComposedPicture& TGIFComposer::ComposeFrame(TGIFImage& image, int index, bool transparent,
                                                   TColor& key, const TPixelRect* window) {
    if (image.FrameCount() == 0) {
        Clear();
        key = clNone;
        return CacheBitmap_;
    }
    index = std::clamp(index, 0, image.FrameCount() - 1);
    const TPixelRect screen{0, 0, image.LogicalWidth, image.LogicalHeight};
    const TPixelRect wanted = window ? window->Intersected(screen) : screen;
    const bool cached = !CacheBitmap_.Pixels.empty() && CacheIndex_ >= 0 && Valid_.Contains(wanted);

    if (cached && index == CacheIndex_ && builtWindowColor_ == WindowColor) {
        // Painted again (exposed, scrolled within what is composed): as it is.
        key = CacheKey_;
        return CacheBitmap_;
    }
    if (cached && index == CacheIndex_ + 1 && image.Frame(CacheIndex_).Disposal != 3) {
        key = CacheKey_;
        const TGIFFrame& previous = image.Frame(CacheIndex_);
        if (previous.Disposal == 2) fillRect(frameRect(previous));
        // The step is drawn in place; should it fail, the picture stays as far
        // as it got and the next paint draws the step again.
        drawFrame(image, index);
        CacheIndex_ = index;
        return CacheBitmap_;
    }

    // A rebuild for the same image writes into the picture it has: only the
    // window is filled again, and nothing is given back and taken anew.
    const size_t pixels = size_t(image.LogicalWidth) * image.LogicalHeight;
    const bool again = builtFor_ == &image && pixels > 0 && CacheBitmap_.Pixels.size() == pixels;
    TZeroedArray<uint32_t> memory;
    TBudgetShare share;
    if (again) {
        memory = std::move(CacheBitmap_.Pixels);
        share = std::move(CacheBitmap_.Share);
    }
    Clear();
    TComposedPicture& picture = CacheBitmap_;
    try {
        if (!again) {
            // The whole screen is held in the budget (it is what a window may
            // cover); only the window is ever written.
            share = image.Budget().Take(ScreenBytes(image));
            memory = TZeroedArray<uint32_t>(pixels);
        }
        picture.Pixels = std::move(memory);
        picture.Share = std::move(share);
        picture.Width = image.LogicalWidth;
        picture.Height = image.LogicalHeight;
        builtFor_ = &image;
        Valid_ = wanted;
        builtWindowColor_ = WindowColor;
        // The fill and the key come from the image's current frame (frame 0
        // after a load), not from the frame being composed.
        const int current = std::clamp(image.CurrentFrame, 0, image.FrameCount() - 1);
        const TColor frameKey = image.Frame(current).KeyColor;
        key = clNone;
        if (frameKey != clNone) {
            picture.FillColor = frameKey;
            key = frameKey;
        } else if (image.ScreenBackground != clNone && image.Transparent()) {
            picture.FillColor = image.ScreenBackground;
        } else {
            picture.FillColor = WindowColor;
        }
        picture.Keyed = key != clNone && transparent;
        CacheKey_ = key;
        // A keyed fill is 0, which fresh memory already holds.
        if (!picture.Keyed || again) fillRect(Valid_);

        const int start = StartingFrame(image, index);
        for (int j = start; j < index; ++j) {
            const TGIFFrame& frame = image.Frame(j);
            if (frame.Disposal <= 1) {
                drawFrame(image, j);
            } else if (frame.Disposal == 2 && j != start) {
                fillRect(frameRect(frame));
            }
        }
        drawFrame(image, index);
        CacheIndex_ = index;
    } catch (const std::bad_alloc&) {
        Clear();
        throw EError(outOfMemoryMessage());
    } catch (...) {
        Clear();
        throw;
    }
    return picture;
}

void TGIFComposer::fillRect(const TPixelRect& rect) {
    TComposedPicture& p = CacheBitmap_;
    const TPixelRect area = rect.Intersected(Valid_);
    if (area.Empty()) return;
    const uint32_t value = p.Keyed ? 0u : colorToArgb(p.FillColor);
    for (int row = area.Y; row < area.Y + area.H; ++row) {
        uint32_t* out = p.Pixels.data() + size_t(row) * size_t(p.Width);
        std::fill(out + area.X, out + area.X + area.W, value);
    }
}

void TGIFComposer::drawFrame(TGIFImage& image, int j) {
    const TGIFFrame& frame = image.Frame(j);
    // Outside what is composed the frame is not even decoded.
    const TPixelRect area = frameRect(frame).Intersected(Valid_);
    if (area.Empty()) return;
    const TBitmap& raster = image.FrameRaster(j);
    if (raster.empty()) return;
    TComposedPicture& p = CacheBitmap_;

    // One lookup per palette entry: the value written, or nothing where the
    // entry is the frame's transparent colour (whatever the raster's depth).
    const int entries = 1 << raster.bitsPerPixel();
    uint32_t values[256];
    bool skip[256];
    for (int i = 0; i < entries; ++i) {
        const TColor color =
            size_t(i) < raster.palette.size() ? quadColor(raster.palette[size_t(i)]) : 0;
        skip[i] = frame.KeyColor != clNone && color == frame.KeyColor;
        // The whole picture is keyed with one colour: frame pixels of that
        // colour show what lies behind as well.
        values[i] = p.Keyed && color == CacheKey_ ? 0u : colorToArgb(color);
    }

    const int bits = raster.bitsPerPixel();
    // The area in raster coordinates.
    const int x0 = area.X - frame.OriginX, x1 = x0 + area.W;
    const int y0 = area.Y - frame.OriginY, y1 = y0 + area.H;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = raster.scanLine(y);
        // Raster column x lands at picture column OriginX + x of this row.
        uint32_t* const line = p.Pixels.data() + size_t(frame.OriginY + y) * size_t(p.Width);
        uint32_t* const out = line + frame.OriginX;
        if (bits == 8 && frame.KeyColor == clNone) {
            for (int x = x0; x < x1; ++x) out[x] = values[row[x]];
        } else if (bits == 8) {
            for (int x = x0; x < x1; ++x) {
                const uint8_t index = row[x];
                if (!skip[index]) out[x] = values[index];
            }
        } else {
            const int mask = (1 << bits) - 1;
            for (int x = x0; x < x1; ++x) {
                const int bitPos = x * bits;
                const int index = (row[bitPos >> 3] >> (8 - bits - (bitPos & 7))) & mask;
                if (!skip[index]) out[x] = values[index];
            }
        }
    }
}
