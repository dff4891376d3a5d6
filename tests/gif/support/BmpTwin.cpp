// Own
#include "support/BmpTwin.h"

// C++
#include <fstream>
#include <iterator>

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

}  // namespace

std::vector<uint32_t> readBmpTwin(const std::string& path, int& width, int& height) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> b((std::istreambuf_iterator<char>(file)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return {};
    const uint32_t offset = le32(b, 10);
    const uint32_t headerSize = le32(b, 14);
    width = int(le32(b, 18));
    const int32_t storedHeight = int32_t(le32(b, 22));
    height = storedHeight < 0 ? -storedHeight : storedHeight;
    const int bits = b[28] | b[29] << 8;
    uint32_t colors = le32(b, 46);
    if (colors == 0 && bits <= 8) colors = 1u << bits;
    const size_t paletteAt = 14 + headerSize;
    size_t stride = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    std::vector<uint8_t> pixels(b.begin() + offset, b.end());
    if (le32(b, 30) == 1 && bits == 8) {
        // RLE8, bottom-up: expand into plain rows.
        stride = size_t(width);
        pixels.assign(stride * size_t(height), 0);
        size_t x = 0, y = 0, at = offset;
        while (at + 1 < b.size()) {
            const uint8_t n = b[at], v = b[at + 1];
            at += 2;
            if (n > 0) {
                for (int i = 0; i < n && x < stride && y < size_t(height); ++i)
                    pixels[y * stride + x++] = v;
            } else if (v == 0) {
                x = 0;
                ++y;
            } else if (v == 1) {
                break;
            } else if (v == 2) {
                x += b[at];
                y += b[at + 1];
                at += 2;
            } else {
                for (int i = 0; i < v && at + size_t(i) < b.size(); ++i)
                    if (x < stride && y < size_t(height))
                        pixels[y * stride + x++] = b[at + size_t(i)];
                at += size_t(v + (v & 1));
            }
        }
    } else if (le32(b, 30) != 0 && le32(b, 30) != 3) {
        return {};
    }
    if (pixels.size() < stride * size_t(height)) return {};
    std::vector<uint32_t> out(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const size_t row = stride * size_t(storedHeight < 0 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t argb = 0;
            if (bits <= 8) {
                const size_t bitPos = size_t(x) * size_t(bits);
                const uint32_t index =
                    (pixels[row + bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
                const size_t p = paletteAt + index * 4;
                argb = 0xFF000000u | uint32_t(b[p + 2]) << 16 | uint32_t(b[p + 1]) << 8 | b[p];
            } else {
                const size_t p = row + size_t(x) * size_t(bits / 8);
                argb = 0xFF000000u | uint32_t(pixels[p + 2]) << 16 | uint32_t(pixels[p + 1]) << 8 |
                       pixels[p];
            }
            out[size_t(y) * size_t(width) + size_t(x)] = argb;
        }
    }
    return out;
}
