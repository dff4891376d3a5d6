#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/MemoryBudget.h"
#include "base/SystemError.h"
#include "base/ZeroedArray.h"

/** One colour table entry as a device-independent bitmap stores it. */
struct TRGBQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

/**
 * An uncompressed picture in the layout of the Windows device-independent
 * bitmap: 1, 4, 8, 16, 24 or 32 bits per pixel, at most 256 palette entries,
 * rows of ((width * bits + 31) / 32) * 4 bytes, the bottom row first when the
 * height is positive and the top row first when it is negative. The BMP reader
 * produces one, the JPEG decoder fills one, and GIF frame rasters use the same
 * layout. Pixels within a byte are packed from the most significant bits.
 */
class TBitmap {
public:
    /// Pictures above this many pixels are refused before anything is
    /// allocated: a header of a few bytes can ask for far more than memory.
    static constexpr uint64_t kMaxPixels = uint64_t(1) << 28;

    TBitmap() = default;

    /// Makes a zeroed picture. A negative height means top row first. The
    /// zeros cost nothing until written (see TZeroedArray). With a budget,
    /// the pixel bytes are taken from it first and held as long as the
    /// picture (a copy takes them again). Throws EError with the
    /// out-of-memory "System Error" text when the picture is above
    /// kMaxPixels, beyond the budget or cannot be allocated, and "Bitmap
    /// image is not valid" for a depth that is not 1, 4, 8, 16, 24 or 32.
    void allocate(int32_t width, int32_t height, uint16_t bitsPerPixel,
                  TMemoryBudget* budget = nullptr);

    /// Bytes per row for a width and depth (rows are padded to 4 bytes).
    static size_t stride(int64_t width, uint32_t bitsPerPixel);

    /// The pixel bytes allocate() makes for a picture of that size.
    static uint64_t pixelBytes(int64_t width, int64_t height, uint32_t bitsPerPixel);

    /// Bytes of the 32-bit form a picture of that size is drawn from: every
    /// reader counts it in the picture's budget along with its own pixels.
    static uint64_t argb32Bytes(int64_t width, int64_t height) {
        return TMemoryBudget::Bytes(uint64_t(width), uint64_t(height < 0 ? -height : height), 4);
    }

    int32_t width() const { return width_; }
    /// The height as stored: negative for top-down pictures.
    int32_t storedHeight() const { return height_; }
    int32_t height() const { return height_ < 0 ? -height_ : height_; }
    bool topDown() const { return height_ < 0; }
    uint16_t bitsPerPixel() const { return bits_; }
    size_t stride() const { return stride_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    /// Row y counted from the top of the picture, whatever the storage order.
    uint8_t* scanLine(int32_t y) { return pixels_.data() + rowOffset(y); }
    const uint8_t* scanLine(int32_t y) const { return pixels_.data() + rowOffset(y); }

    /// The pixel rows in storage order (bottom row first unless top-down).
    TZeroedArray<uint8_t>& bits() { return pixels_; }
    const TZeroedArray<uint8_t>& bits() const { return pixels_; }

    /// Colour table; for 1, 4 and 8 bits it gives the pixel colours.
    std::vector<TRGBQuad> palette;

    /// Bit-field masks for 16 and 32 bits per pixel; all zero means the
    /// defaults (5-5-5 for 16 bits, blue-green-red-ignored for 32 bits).
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;

    /// 32 bits without masks only: the fourth byte of every pixel is 0xFF
    /// (the JPEG decoder writes it so), so the rows can be drawn as they
    /// stand, without a 32-bit copy. Files leave it as they please.
    bool opaqueFourthByte = false;

    /// Writes row y (from the top) as 0xFFRRGGBB values, width entries.
    /// Palette indexes beyond the table give black.
    void rowToArgb32(int32_t y, uint32_t* out) const;

    /// The whole picture as 0xFFRRGGBB values, top row first.
    std::vector<uint32_t> toArgb32() const;

private:
    size_t rowOffset(int32_t y) const {
        const int32_t h = height();
        return size_t(height_ < 0 ? y : h - 1 - y) * stride_;
    }

    int32_t width_ = 0;
    int32_t height_ = 0;
    uint16_t bits_ = 24;
    size_t stride_ = 0;
    // The pixel bytes in the picture's budget; before the pixels, so that a
    // copy is refused before it allocates.
    TBudgetShare share_;
    TZeroedArray<uint8_t> pixels_;
};
