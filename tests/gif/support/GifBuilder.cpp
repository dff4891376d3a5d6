// Own
#include "support/GifBuilder.h"

// C++
#include <algorithm>
#include <cstddef>
#include <map>

namespace {

struct BitWriter {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    void put(uint32_t code, int width) {
        acc |= code << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    std::vector<uint8_t> finish() {
        if (bits > 0) out.push_back(uint8_t(acc));
        return out;
    }
};

}  // namespace

std::vector<uint8_t> lzwEncode(const std::vector<uint8_t>& pixels, int codeSize, bool initialClear,
                               bool clearWhenFull) {
    const uint32_t clear = 1u << codeSize;
    BitWriter w;
    int width = codeSize + 1;
    uint32_t next = clear + 2;
    std::map<std::pair<uint32_t, uint8_t>, uint32_t> dict;
    if (initialClear) w.put(clear, width);
    if (pixels.empty()) {
        w.put(clear + 1, width);
        return w.finish();
    }
    uint32_t cur = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const auto key = std::make_pair(cur, pixels[i]);
        const auto it = dict.find(key);
        if (it != dict.end()) {
            cur = it->second;
            continue;
        }
        w.put(cur, width);
        if (next < 4096) {
            dict[key] = next++;
            if (next > (1u << width) && width < 12) ++width;
        } else if (clearWhenFull) {
            w.put(clear, width);
            dict.clear();
            next = clear + 2;
            width = codeSize + 1;
        }
        cur = pixels[i];
    }
    w.put(cur, width);
    if (next < 4096) {
        ++next;
        if (next > (1u << width) && width < 12) ++width;
    }
    w.put(clear + 1, width);
    return w.finish();
}

std::vector<uint8_t> packCodes(const std::vector<uint32_t>& codes, int codeSize) {
    const uint32_t clear = 1u << codeSize;
    BitWriter w;
    int width = codeSize + 1;
    uint32_t next = clear + 2;
    bool havePrev = false;
    for (uint32_t code : codes) {
        w.put(code, width);
        if (code == clear) {
            width = codeSize + 1;
            next = clear + 2;
            havePrev = false;
            continue;
        }
        if (havePrev && next < 4096) ++next;
        havePrev = true;
        if (next == (1u << width) && width < 12) ++width;
    }
    return w.finish();
}

GifBuilder& GifBuilder::raw(std::initializer_list<uint8_t> b) {
    bytes.insert(bytes.end(), b);
    return *this;
}

GifBuilder& GifBuilder::raw(const std::vector<uint8_t>& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
}

GifBuilder& GifBuilder::u16(uint16_t v) {
    return raw({uint8_t(v), uint8_t(v >> 8)});
}

GifBuilder& GifBuilder::header(const char* signature) {
    for (int i = 0; i < 6; ++i) bytes.push_back(uint8_t(signature[i]));
    return *this;
}

namespace {

int bitsFor(int colors) {
    int bits = 1;
    while ((1 << bits) < colors) ++bits;
    return bits;
}

void table(std::vector<uint8_t>& bytes, int colors) {
    for (int i = 0; i < colors; ++i) {
        const uint32_t c = GifBuilder::colorOf(i);
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
        bytes.push_back(uint8_t(c >> 16));
    }
}

}  // namespace

uint32_t GifBuilder::colorOf(int i) {
    return uint32_t(i * 7 + 1) | uint32_t(255 - i) << 8 | uint32_t(i * 3 + 5) << 16;
}

GifBuilder& GifBuilder::screen(uint16_t w, uint16_t h, int colors, uint8_t background,
                               uint8_t aspect) {
    u16(w).u16(h);
    const uint8_t flags = colors ? uint8_t(0x80 | 0x70 | (bitsFor(colors) - 1)) : 0x70;
    raw({flags, background, aspect});
    if (colors) table(bytes, colors);
    return *this;
}

GifBuilder& GifBuilder::graphicControl(uint16_t delay, int transparent, int disposal) {
    const uint8_t flags = uint8_t((disposal & 7) << 2 | (transparent >= 0 ? 1 : 0));
    raw({0x21, 0xF9, 4, flags, uint8_t(delay), uint8_t(delay >> 8),
         uint8_t(transparent >= 0 ? transparent : 0), 0});
    return *this;
}

GifBuilder& GifBuilder::comment(const std::vector<std::string>& lines) {
    raw({0x21, 0xFE});
    for (const auto& line : lines) {
        bytes.push_back(uint8_t(line.size()));
        bytes.insert(bytes.end(), line.begin(), line.end());
    }
    bytes.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::application(const std::string& id, const std::vector<std::string>& blocks) {
    raw({0x21, 0xFF, 11});
    for (size_t i = 0; i < 11; ++i) bytes.push_back(i < id.size() ? uint8_t(id[i]) : 0);
    for (const auto& block : blocks) {
        bytes.push_back(uint8_t(block.size()));
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    bytes.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::plainText() {
    raw({0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0});
    raw({5, 'h', 'e', 'l', 'l', 'o', 0});
    return *this;
}

GifBuilder& GifBuilder::subBlocks(const std::vector<uint8_t>& data, bool terminate) {
    for (size_t pos = 0; pos < data.size(); pos += 255) {
        const size_t n = std::min<size_t>(255, data.size() - pos);
        bytes.push_back(uint8_t(n));
        bytes.insert(bytes.end(), data.begin() + ptrdiff_t(pos), data.begin() + ptrdiff_t(pos + n));
    }
    if (terminate) bytes.push_back(0);
    return *this;
}

GifBuilder& GifBuilder::frame(uint16_t left, uint16_t top, uint16_t w, uint16_t h,
                              const std::vector<uint8_t>& pixels, int localColors, bool interlaced,
                              int codeSize) {
    bytes.push_back(0x2C);
    u16(left).u16(top).u16(w).u16(h);
    uint8_t flags = interlaced ? 0x40 : 0;
    if (localColors) flags = uint8_t(flags | 0x80 | (bitsFor(localColors) - 1));
    bytes.push_back(flags);
    if (localColors) table(bytes, localColors);
    if (codeSize == 0) codeSize = 2;
    bytes.push_back(uint8_t(codeSize));
    return subBlocks(lzwEncode(pixels, codeSize));
}

GifBuilder& GifBuilder::trailer() {
    return raw({0x3B});
}
