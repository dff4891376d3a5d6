#include "base/Bitmap.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <new>

#include "base/Error.h"
#include "base/Messages.h"

size_t TBitmap::stride(int64_t width, uint32_t bitsPerPixel) {
    return size_t(((uint64_t(width) * bitsPerPixel + 31) / 32) * 4);
}

uint64_t TBitmap::pixelBytes(int64_t width, int64_t height, uint32_t bitsPerPixel) {
    const uint64_t rows = uint64_t(height < 0 ? -height : height);
    return TMemoryBudget::Bytes(stride(width, bitsPerPixel), rows);
}

void TBitmap::allocate(int32_t width, int32_t height, uint16_t bitsPerPixel,
                       TMemoryBudget* budget) {
    switch (bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            throw EError(kBitmapNotValid);
    }
    if (width < 0) throw EError(kBitmapNotValid);
    const uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    if (uint64_t(width) * rows > kMaxPixels) throw EError(outOfMemoryMessage());
    const size_t rowBytes = stride(width, bitsPerPixel);
    // The previous pixels go first: they are not kept beside the new ones.
    pixels_ = TZeroedArray<uint8_t>();
    share_ = TBudgetShare();
    width_ = height_ = 0;
    stride_ = 0;
    TBudgetShare share = budget ? budget->Take(rowBytes * rows) : TBudgetShare();
    try {
        pixels_ = TZeroedArray<uint8_t>(rowBytes * rows);
    } catch (const std::bad_alloc&) {
        throw EError(outOfMemoryMessage());
    }
    share_ = std::move(share);
    width_ = width;
    height_ = height;
    bits_ = bitsPerPixel;
    stride_ = rowBytes;
}

namespace {

// Scales a masked channel to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;
    explicit Channel(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            width = std::popcount(m >> shift);
        }
    }
    uint32_t operator()(uint32_t px) const {
        if (!mask) return 0;
        uint32_t v = (px & mask) >> shift;
        if (width >= 8) return (v >> (width - 8)) & 0xFF;
        const uint32_t max = (1u << width) - 1;
        return (v * 255 + max / 2) / max;
    }
};

}  // namespace

void TBitmap::rowToArgb32(int32_t y, uint32_t* out) const {
    const uint8_t* row = scanLine(y);
    auto paletteColor = [this](uint32_t index) -> uint32_t {
        if (index >= palette.size()) return 0xFF000000u;
        const TRGBQuad& q = palette[index];
        return 0xFF000000u | (uint32_t(q.red) << 16) | (uint32_t(q.green) << 8) | q.blue;
    };
    switch (bits_) {
        case 1:
            for (int32_t x = 0; x < width_; ++x)
                out[x] = paletteColor((row[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int32_t x = 0; x < width_; ++x)
                out[x] = paletteColor((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
            break;
        case 8:
            for (int32_t x = 0; x < width_; ++x) out[x] = paletteColor(row[x]);
            break;
        case 16: {
            const bool masked = redMask | greenMask | blueMask;
            const Channel r(masked ? redMask : 0x7C00), g(masked ? greenMask : 0x03E0),
                b(masked ? blueMask : 0x001F);
            for (int32_t x = 0; x < width_; ++x) {
                const uint32_t px = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
                out[x] = 0xFF000000u | r(px) << 16 | g(px) << 8 | b(px);
            }
            break;
        }
        case 24:
            for (int32_t x = 0; x < width_; ++x) {
                const uint8_t* p = row + 3 * x;
                out[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
            break;
        case 32: {
            const bool masked = redMask | greenMask | blueMask;
            if (!masked) {
                for (int32_t x = 0; x < width_; ++x) {
                    const uint8_t* p = row + 4 * x;
                    out[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
                }
                break;
            }
            const Channel r(redMask), g(greenMask), b(blueMask);
            for (int32_t x = 0; x < width_; ++x) {
                uint32_t px;
                std::memcpy(&px, row + 4 * x, 4);  // little-endian, as the file stores it
                out[x] = 0xFF000000u | r(px) << 16 | g(px) << 8 | b(px);
            }
            break;
        }
        default:
            break;
    }
}

std::vector<uint32_t> TBitmap::toArgb32() const {
    std::vector<uint32_t> out(size_t(width_) * size_t(height()));
    for (int32_t y = 0; y < height(); ++y) rowToArgb32(y, out.data() + size_t(y) * size_t(width_));
    return out;
}
