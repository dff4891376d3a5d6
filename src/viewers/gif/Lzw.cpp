// Own
#include "viewers/gif/Lzw.h"

// C++
#include <cstring>

namespace {

inline uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;  // little-endian host: codes are packed from the low bits
}

}  // namespace

LzwDecoder::Result LzwDecoder::decode(const uint8_t* codes, size_t size, int codeSize,
                                      uint8_t pixelMask, uint8_t* out, size_t outSize) {
    const uint32_t clearCode = 1u << codeSize;
    const uint32_t endCode = clearCode + 1;

    // Roots hold their own (masked) value; every other entry starts as the
    // string "0 0", which is what a code pointing at an unwritten entry reads.
    for (uint32_t i = 0; i < uint32_t(kTableSize); ++i) {
        prefix_[i] = 0;
        suffix_[i] = 0;
        first_[i] = 0;
        length_[i] = 2;
    }
    for (uint32_t i = 0; i < clearCode; ++i) {
        suffix_[i] = uint8_t(i) & pixelMask;
        first_[i] = suffix_[i];
        length_[i] = 1;
    }

    const uint64_t totalBits = uint64_t(size) * 8;
    uint64_t bitPos = 0;
    int width = codeSize + 1;
    uint32_t codeMask = (1u << width) - 1;
    uint32_t next = clearCode + 2;
    int32_t prev = -1;
    size_t pos = 0;

    Result result;
    while (pos < outSize) {
        if (bitPos + uint64_t(width) > totalBits) {
            result.status = Status::Exhausted;
            break;
        }
        const uint32_t code = uint32_t(load64(codes + (bitPos >> 3)) >> (bitPos & 7)) & codeMask;
        bitPos += uint64_t(width);

        if (code == clearCode) {
            width = codeSize + 1;
            codeMask = (1u << width) - 1;
            next = clearCode + 2;
            prev = -1;
            continue;
        }
        if (code == endCode) break;

        if (code < clearCode) {
            // Literal: the commonest case, one pixel.
            out[pos++] = suffix_[code];
            if (prev >= 0 && next < uint32_t(kTableSize)) {
                prefix_[next] = uint16_t(prev);
                suffix_[next] = suffix_[code];
                first_[next] = first_[prev];
                length_[next] = length_[prev] + 1;
                ++next;
            }
        } else {
            if (prev >= 0 && next < uint32_t(kTableSize)) {
                // The new entry is prev + first(code); for code == next that
                // first character is prev's own (the KwKwK case).
                const uint8_t c = code == next ? first_[prev] : first_[code];
                prefix_[next] = uint16_t(prev);
                suffix_[next] = c;
                first_[next] = first_[prev];
                length_[next] = length_[prev] + 1;
                ++next;
            }
            uint32_t len = length_[code];
            if (len > kMaxExpansion) {
                result.status = Status::TooLong;
                break;
            }
            uint32_t c = code;
            const size_t room = outSize - pos;
            if (len > room) {
                // The picture ends inside this string: skip its tail.
                for (uint32_t skip = len - uint32_t(room); skip > 0; --skip) c = prefix_[c];
                len = uint32_t(room);
            }
            uint8_t* p = out + pos + len;
            for (uint32_t i = len; i > 0; --i) {
                *--p = suffix_[c];
                c = prefix_[c];
            }
            pos += len;
        }
        prev = int32_t(code);

        if (next == (1u << width) && width < 12) {
            ++width;
            codeMask = (1u << width) - 1;
        }
    }
    result.written = pos;
    return result;
}
