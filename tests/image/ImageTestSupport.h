#pragma once

// libjpeg
#include <jpeglib.h>

// C++
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "support/TestData.h"

// The message of the EError that fn throws, or "<no error>".
inline std::string MessageOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const EError& e) {
        return e.what();
    }
    return "<no error>";
}

// Largest and mean per-channel difference of two pictures of the same size.
struct PixelDifference {
    int max = 0;
    double mean = 0;
};

inline PixelDifference Compare(const std::vector<uint32_t>& pa, const std::vector<uint32_t>& pb) {
    PixelDifference d;
    if (pa.size() != pb.size() || pa.empty()) return {255, 255};
    uint64_t sum = 0;
    for (size_t i = 0; i < pa.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int diff = std::abs(int((pa[i] >> shift) & 0xFF) - int((pb[i] >> shift) & 0xFF));
            d.max = std::max(d.max, diff);
            sum += uint64_t(diff);
        }
    d.mean = double(sum) / double(pa.size() * 3);
    return d;
}

inline PixelDifference Compare(const TBitmap& a, const TBitmap& b) {
    return Compare(a.toArgb32(), b.toArgb32());
}

// Encodes a picture with libjpeg: colour(x, y, out) gives pixel (x, y) as
// `components` bytes in the input colour space; tune changes the settings
// after libjpeg's defaults (quality 95 unless it says otherwise).
inline std::vector<uint8_t> EncodeJpeg(
    int width, int height, int components, J_COLOR_SPACE space,
    const std::function<void(int, int, uint8_t*)>& colour,
    const std::function<void(jpeg_compress_struct&)>& tune = {}) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (tune) tune(c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(size_t(width * components));
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < width; ++x)
            colour(x, int(c.next_scanline), &row[size_t(x * components)]);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

// A smooth photograph-like test picture: a different slope in each channel,
// so that a flipped, mirrored or channel-swapped decode is far off.
inline uint32_t PhotoArgb(int x, int y, int width, int height) {
    const uint32_t r = uint32_t(255 * x / (width > 1 ? width - 1 : 1));
    const uint32_t g = uint32_t(255 * y / (height > 1 ? height - 1 : 1));
    const uint32_t b = uint32_t(255 - (r + g) / 2);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

inline std::vector<uint32_t> PhotoPixels(int width, int height) {
    std::vector<uint32_t> px;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) px.push_back(PhotoArgb(x, y, width, height));
    return px;
}

// The test picture as a colour JPEG.
inline std::vector<uint8_t> EncodePhoto(
    int width, int height, const std::function<void(jpeg_compress_struct&)>& tune = {}) {
    return EncodeJpeg(
        width, height, 3, JCS_RGB,
        [&](int x, int y, uint8_t* out) {
            const uint32_t c = PhotoArgb(x, y, width, height);
            out[0] = uint8_t(c >> 16), out[1] = uint8_t(c >> 8), out[2] = uint8_t(c);
        },
        tune);
}

// The JPEG with an APP1 "Exif" segment right after its SOI marker whose
// first image directory holds the orientation tag (big- or little-endian).
inline std::vector<uint8_t> WithOrientation(const std::vector<uint8_t>& jpeg, int orientation,
                                            bool littleEndian = false) {
    std::vector<uint8_t> tiff;
    const auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = littleEndian ? 8 * i : 8 * (bytes - 1 - i);
            tiff.push_back(uint8_t(v >> shift));
        }
    };
    tiff.push_back(littleEndian ? 'I' : 'M');
    tiff.push_back(littleEndian ? 'I' : 'M');
    put(42, 2);
    put(8, 4);       // the first directory
    put(1, 2);       // one entry:
    put(0x0112, 2);  // orientation,
    put(3, 2);       // SHORT,
    put(1, 4);       // one of them,
    put(uint32_t(orientation), 2);
    put(0, 2);
    put(0, 4);  // no next directory
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    const size_t length = segment.size() - 2;
    segment[2] = uint8_t(length >> 8);
    segment[3] = uint8_t(length);
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}
