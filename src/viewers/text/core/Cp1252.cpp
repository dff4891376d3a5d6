#include "viewers/text/core/Cp1252.h"

// C++ standard library
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {

namespace {

// 0x80..0x9F; the undefined positions map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

}  // namespace

char16_t Cp1252ToUtf16(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
    return byte;
}

void DecodeCp1252(const char* data, std::size_t size, char16_t* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes widened at a time; only bytes 0x80..0x9F need the table.
    const __m128i zero = _mm_setzero_si128();
    const __m128i top3 = _mm_set1_epi8(char(0xE0));
    const __m128i c1 = _mm_set1_epi8(char(0x80));
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(block, zero));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(block, top3), c1)));
        while (mask != 0) {
            const std::size_t k = i + std::size_t(std::countr_zero(mask));
            out[k] = kHighControls[static_cast<unsigned char>(data[k]) - 0x80];
            mask &= mask - 1;
        }
    }
#endif
    for (; i < size; ++i) out[i] = Cp1252ToUtf16(static_cast<unsigned char>(data[i]));
}

std::u16string DecodeCp1252(std::string_view data) {
    std::u16string out(data.size(), u'\0');
    DecodeCp1252(data.data(), data.size(), out.data());
    return out;
}

}  // namespace text
