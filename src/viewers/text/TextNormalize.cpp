#include "viewers/text/TextNormalize.h"

// C++ standard library
#include <cstdint>
#include <cstring>
#include <limits>

namespace text {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Word-at-a-time test for "this 8-byte word holds a CR or an LF", so that the
// long runs of ordinary text between breaks are skipped or copied in blocks.
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

inline bool hasZeroByte(std::uint64_t v) {
    return ((v - kOnes) & ~v & kHighs) != 0;
}

inline bool hasLineBreak(std::uint64_t word) {
    return hasZeroByte(word ^ (kOnes * 0x0D)) || hasZeroByte(word ^ (kOnes * 0x0A));
}

inline std::uint64_t load(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

std::size_t CountAddedBytes(const char* data, std::size_t size) {
    std::size_t added = 0;
    std::size_t i = 0;
    while (i < size) {
        if (i + 8 <= size && !hasLineBreak(load(data + i))) {
            i += 8;
            continue;
        }
        const char c = data[i];
        if (c == kCr) {
            if (i + 1 < size && data[i + 1] == kLf) {
                i += 2;  // CR LF stays
                continue;
            }
            ++added;  // lone CR
        } else if (c == kLf) {
            ++added;  // LF without CR before it (a CR LF pair was skipped whole)
        }
        ++i;
    }
    return added;
}

std::size_t NormalizedLength(const char* data, std::size_t size) {
    const std::size_t added = CountAddedBytes(data, size);
    if (added > std::numeric_limits<std::size_t>::max() - size)
        return std::numeric_limits<std::size_t>::max();
    return size + added;
}

std::size_t NormalizeLineBreaks(const char* data, std::size_t size, char* out,
                                std::size_t outSize) {
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < size) {
        if (i + 8 <= size && o + 8 <= outSize) {
            const std::uint64_t word = load(data + i);
            if (!hasLineBreak(word)) {
                std::memcpy(out + o, &word, sizeof word);
                i += 8;
                o += 8;
                continue;
            }
        }
        const char c = data[i];
        if (c == kCr || c == kLf) {
            // Every break becomes CR LF; a CR LF pair is consumed as one break.
            if (o + 2 > outSize) break;
            out[o++] = kCr;
            out[o++] = kLf;
            i += (c == kCr && i + 1 < size && data[i + 1] == kLf) ? 2 : 1;
        } else {
            if (o >= outSize) break;
            out[o++] = c;
            ++i;
        }
    }
    return o;
}

std::string NormalizeLineBreaks(std::string_view data) {
    std::string out(NormalizedLength(data.data(), data.size()), '\0');
    out.resize(NormalizeLineBreaks(data.data(), data.size(), out.data(), out.size()));
    return out;
}

}  // namespace text
