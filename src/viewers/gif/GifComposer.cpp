// Own
#include "viewers/gif/GifComposer.h"

// C++
#include <algorithm>

namespace {

uint32_t quadColor(const TRGBQuad& q) {
    return uint32_t(q.red) | uint32_t(q.green) << 8 | uint32_t(q.blue) << 16;
}

bool hasLogicalSize(const TGIFImage& image, const TGIFFrame& frame) {
    return !frame.Item->CodeStream.empty() && frame.Item->FrameWidth == image.LogicalWidth &&
           frame.Item->FrameHeight == image.LogicalHeight;
}

}  // namespace

void TGIFComposer::Clear() {
    CacheBitmap_ = TComposedPicture();
    CacheIndex_ = -1;
    CacheKey_ = clNone;
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
                                                   uint32_t& key) {
    if (image.FrameCount() == 0) {
        Clear();
        key = clNone;
        return CacheBitmap_;
    }
    index = std::clamp(index, 0, image.FrameCount() - 1);
    const bool reuse = !CacheBitmap_.Pixels.empty() && CacheIndex_ >= 0 &&
                       index == CacheIndex_ + 1 && image.Frame(CacheIndex_).Disposal != 3;
    if (reuse) {
        key = CacheKey_;
        const TGIFFrame& previous = image.Frame(CacheIndex_);
        if (previous.Disposal == 2) {
            const TBitmap& raster = image.FrameRaster(CacheIndex_);
            fillRect(previous.OriginX, previous.OriginY, raster.width(), raster.height());
        }
        // The step is drawn in place; should it fail, the picture stays as far
        // as it got and the next paint draws the step again.
        drawFrame(image, index);
        CacheIndex_ = index;
        return CacheBitmap_;
    }

    Clear();
    TComposedPicture& picture = CacheBitmap_;
    try {
        picture.Width = image.LogicalWidth;
        picture.Height = image.LogicalHeight;
        // The fill and the key come from the image's current frame (frame 0
        // after a load), not from the frame being composed.
        const int current = std::clamp(image.CurrentFrame, 0, image.FrameCount() - 1);
        const uint32_t frameKey = image.Frame(current).KeyColor;
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
        picture.Pixels.assign(size_t(picture.Width) * size_t(picture.Height),
                              picture.Keyed ? 0u : colorToArgb(picture.FillColor));
        CacheKey_ = key;

        const int start = StartingFrame(image, index);
        for (int j = start; j < index; ++j) {
            const TGIFFrame& frame = image.Frame(j);
            if (frame.Disposal <= 1) {
                drawFrame(image, j);
            } else if (frame.Disposal == 2 && j != start) {
                const TBitmap& raster = image.FrameRaster(j);
                fillRect(frame.OriginX, frame.OriginY, raster.width(), raster.height());
            }
        }
        drawFrame(image, index);
        CacheIndex_ = index;
    } catch (...) {
        Clear();
        throw;
    }
    return picture;
}

void TGIFComposer::fillRect(int x, int y, int w, int h) {
    TComposedPicture& p = CacheBitmap_;
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, p.Width), y1 = std::min(y + h, p.Height);
    if (x0 >= x1 || y0 >= y1) return;
    const uint32_t value = p.Keyed ? 0u : colorToArgb(p.FillColor);
    for (int row = y0; row < y1; ++row) {
        uint32_t* out = p.Pixels.data() + size_t(row) * size_t(p.Width);
        std::fill(out + x0, out + x1, value);
    }
}

void TGIFComposer::drawFrame(TGIFImage& image, int j) {
    const TGIFFrame& frame = image.Frame(j);
    const TBitmap& raster = image.FrameRaster(j);
    if (raster.empty()) return;
    TComposedPicture& p = CacheBitmap_;

    // One lookup per palette entry: the value written, or nothing where the
    // entry is the frame's transparent colour (whatever the raster's depth).
    const int entries = 1 << raster.bitsPerPixel();
    uint32_t values[256];
    bool skip[256];
    for (int i = 0; i < entries; ++i) {
        const uint32_t color =
            size_t(i) < raster.palette.size() ? quadColor(raster.palette[size_t(i)]) : 0;
        skip[i] = frame.KeyColor != clNone && color == frame.KeyColor;
        // The whole picture is keyed with one colour: frame pixels of that
        // colour show what lies behind as well.
        values[i] = p.Keyed && color == CacheKey_ ? 0u : colorToArgb(color);
    }

    const int bits = raster.bitsPerPixel();
    const int x0 = std::max(0, -frame.OriginX);
    const int x1 = std::min(raster.width(), p.Width - frame.OriginX);
    if (x0 >= x1) return;
    for (int y = 0; y < raster.height(); ++y) {
        const int dy = frame.OriginY + y;
        if (dy < 0) continue;
        if (dy >= p.Height) break;
        const uint8_t* row = raster.scanLine(y);
        uint32_t* out = p.Pixels.data() + size_t(dy) * size_t(p.Width) + frame.OriginX;
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
