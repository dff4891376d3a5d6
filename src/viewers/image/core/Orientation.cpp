#include "viewers/image/core/Orientation.h"

// C++ standard library
#include <algorithm>

namespace orientation {

namespace {

// Little- or big-endian fields of the TIFF structure inside the segment.
struct TReader {
    const uint8_t* p;
    std::size_t size;
    bool little;
    bool has(std::size_t at, std::size_t n) const { return at <= size && n <= size - at; }
    uint32_t u16(std::size_t at) const {
        return little ? uint32_t(p[at] | p[at + 1] << 8) : uint32_t(p[at] << 8 | p[at + 1]);
    }
    uint32_t u32(std::size_t at) const {
        return little ? uint32_t(p[at]) | uint32_t(p[at + 1]) << 8 | uint32_t(p[at + 2]) << 16 |
                            uint32_t(p[at + 3]) << 24
                      : uint32_t(p[at]) << 24 | uint32_t(p[at + 1]) << 16 |
                            uint32_t(p[at + 2]) << 8 | uint32_t(p[at + 3]);
    }
};

constexpr uint32_t kOrientationTag = 0x0112;
constexpr uint32_t kShort = 3;

// The tag's value in the TIFF structure of an Exif segment, or 0.
int fromTiff(const uint8_t* tiff, std::size_t size) {
    if (size < 8) return 0;
    TReader r{tiff, size, false};
    if (tiff[0] == 'I' && tiff[1] == 'I') {
        r.little = true;
    } else if (!(tiff[0] == 'M' && tiff[1] == 'M')) {
        return 0;
    }
    if (r.u16(2) != 42) return 0;
    const std::size_t ifd = r.u32(4);
    if (!r.has(ifd, 2)) return 0;
    const uint32_t count = r.u16(ifd);
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
        if (!r.has(entry, 12)) return 0;
        if (r.u16(entry) != kOrientationTag) continue;
        // One SHORT, held in the first two bytes of the value field.
        if (r.u16(entry + 2) != kShort || r.u32(entry + 4) != 1) return 0;
        return int(r.u16(entry + 8));
    }
    return 0;
}

}  // namespace

int FromJpeg(const uint8_t* data, std::size_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return 1;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        // The scan, or the end: no tables or segments to look at after it.
        if (marker == 0xDA || marker == 0xD9) return 1;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2) return 1;
        const uint8_t* segment = data + at + 4;
        const std::size_t segmentSize = length - 2;
        static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker == 0xE1 && segmentSize >= 6 && std::equal(kExif, kExif + 6, segment)) {
            const int value = fromTiff(segment + 6, segmentSize - 6);
            return value >= 1 && value <= 8 ? value : 1;
        }
        at += 2 + length;
    }
    return 1;
}

bool SwapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

TMatrix Matrix(int o, int w, int h) {
    const double W = w, H = h;
    switch (o) {
        case 2:
            return {{-1, 0, 0, 1, W, 0}};
        case 3:
            return {{-1, 0, 0, -1, W, H}};
        case 4:
            return {{1, 0, 0, -1, 0, H}};
        case 5:
            return {{0, 1, 1, 0, 0, 0}};
        case 6:
            return {{0, 1, -1, 0, H, 0}};
        case 7:
            return {{0, -1, -1, 0, H, W}};
        case 8:
            return {{0, -1, 1, 0, 0, W}};
        default:
            return {{1, 0, 0, 1, 0, 0}};
    }
}

}  // namespace orientation
