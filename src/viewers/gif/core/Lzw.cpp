// Own
#include "viewers/gif/core/Lzw.h"

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
    std::memset(zeros_, 0, sizeof zeros_);
    std::memset(rootBytes_, 0, sizeof rootBytes_);
    for (uint32_t i = 0; i < uint32_t(kTableSize); ++i) {
        source_[i] = zeros_;
        length_[i] = 2;
    }
    for (uint32_t i = 0; i < clearCode && i < 512; ++i) {
        rootBytes_[i] = uint8_t(i) & pixelMask;
        source_[i] = rootBytes_ + i;
        length_[i] = 1;
    }

    const uint64_t totalBits = uint64_t(size) * 8;
    uint64_t bitPos = 0;
    int width = codeSize + 1;
    uint32_t codeMask = (1u << width) - 1;
    uint32_t next = clearCode + 2;
    bool havePrev = false;
    const uint8_t* prevStart = out;  // where the previous code's string stands in out
    uint32_t prevLength = 0;
    uint8_t* dst = out;
    uint8_t* const end = out + outSize;

    Result result;
    while (dst < end) {
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
            havePrev = false;
            continue;
        }
        if (code == endCode) break;

        // The new entry is the previous string plus the first pixel of this
        // one, which is exactly where the previous string stands in out.
        if (havePrev && next < uint32_t(kTableSize)) {
            source_[next] = prevStart;
            length_[next] = prevLength + 1;
            ++next;
            if (next == (1u << width) && width < 12) {
                ++width;
                codeMask = (1u << width) - 1;
            }
        }
        const uint32_t length = length_[code];
        if (length > kMaxExpansion) {
            result.status = Status::TooLong;
            break;
        }
        const uint8_t* src = source_[code];
        const size_t room = size_t(end - dst);
        if (length + 8 <= room && uintptr_t(dst) - uintptr_t(src) >= 8) {
            // Eight bytes at a time: up to kOvershoot bytes past the string
            // are written too, which the next string overwrites. The room
            // test keeps them inside the output.
            for (uint32_t i = 0; i < length; i += 8) std::memcpy(dst + i, src + i, 8);
        } else {
            const uint32_t n = length <= room ? length : uint32_t(room);
            for (uint32_t i = 0; i < n; ++i) dst[i] = src[i];
        }
        prevStart = dst;
        prevLength = length;
        havePrev = true;
        dst += length <= room ? length : room;
    }
    result.written = size_t(dst - out);
    return result;
}
