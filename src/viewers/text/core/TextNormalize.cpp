#include "viewers/text/core/TextNormalize.h"

// C++ standard library
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Project
#include "viewers/text/core/TextDecode.h"

namespace text {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// Word-at-a-time search for the next CR or LF, so that the long runs of
// ordinary text between breaks are skipped or copied in blocks.
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

// High bit set in each byte of v that is zero; exact for the lowest such
// byte (borrows can only mark bytes above a real zero).
inline std::uint64_t zeroBytes(std::uint64_t v) {
    return (v - kOnes) & ~v & kHighs;
}

inline std::uint64_t load(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

/// Index of the first CR or LF at or after i, or size when there is none.
inline std::size_t nextBreak(const char* data, std::size_t i, std::size_t size) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8(kCr);
    const __m128i lf = _mm_set1_epi8(kLf);
    while (i + 16 <= size) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
        if (mask != 0) return i + std::size_t(std::countr_zero(mask));
        i += 16;
    }
#endif
    while (i + 8 <= size) {
        const std::uint64_t word = load(data + i);
        const std::uint64_t mask =
            zeroBytes(word ^ (kOnes * 0x0D)) | zeroBytes(word ^ (kOnes * 0x0A));
        if (mask != 0) return i + std::size_t(std::countr_zero(mask) / 8);
        i += 8;
    }
    while (i < size && data[i] != kCr && data[i] != kLf) ++i;
    return i;
}

}  // namespace

std::size_t CountAddedBytes(const char* data, std::size_t size) {
    std::size_t added = 0;
    std::size_t i = nextBreak(data, 0, size);
    while (i < size) {
        if (data[i] == kCr && i + 1 < size && data[i + 1] == kLf) {
            i += 2;  // CR LF stays
        } else {
            ++added;  // a lone CR, or an LF without CR before it
            ++i;
        }
        i = nextBreak(data, i, size);
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
        const std::size_t brk = nextBreak(data, i, size);
        std::size_t run = brk - i;
        if (run > outSize - o) run = outSize - o;
        std::memcpy(out + o, data + i, run);
        o += run;
        i += run;
        if (i != brk || i == size || outSize - o < 2) break;
        // Every break becomes CR LF; a CR LF pair is consumed as one break.
        out[o++] = kCr;
        out[o++] = kLf;
        i += (data[i] == kCr && i + 1 < size && data[i + 1] == kLf) ? 2 : 1;
    }
    return o;
}

std::string NormalizeLineBreaks(std::string_view data) {
    std::string out(NormalizedLength(data.data(), data.size()), '\0');
    out.resize(NormalizeLineBreaks(data.data(), data.size(), out.data(), out.size()));
    return out;
}

std::size_t PieceEnd(std::string_view normalized, std::size_t from, std::size_t want) {
    // How far past the wanted size a line break is looked for.
    constexpr std::size_t kLineSearch = 4096;
    const std::size_t size = normalized.size();
    if (from >= size || want >= size - from) return size;
    std::size_t end = from + (want > 0 ? want : 1);
    const std::size_t limit = size - end < kLineSearch ? size : end + kLineSearch;
    const void* lf = std::memchr(normalized.data() + end - 1, kLf, limit - (end - 1));
    // The search starts at the byte before the cut, so a cut right after it
    // never parts a CR from its LF (apart, they would count as two breaks).
    if (lf) return std::size_t(static_cast<const char*>(lf) - normalized.data()) + 1;
    // Nor inside a character: its bytes apart would read as 8-bit characters.
    const std::size_t start = CharacterStart(normalized, end);
    if (start > from) return start;
    return start + Utf8SequenceLength(normalized.data() + start, size - start);
}

std::size_t LongestLineLength(std::string_view text) {
    if (text.empty()) return 0;
    std::size_t longest = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const void* lf = std::memchr(text.data() + start, '\n', text.size() - start);
        const std::size_t end =
            lf ? std::size_t(static_cast<const char*>(lf) - text.data()) : text.size();
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    return longest;
}

}  // namespace text
