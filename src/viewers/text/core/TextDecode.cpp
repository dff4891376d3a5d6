#include "viewers/text/core/TextDecode.h"

// System
#include <langinfo.h>

// C++ standard library
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Project
#include "viewers/text/core/Cp1252.h"

namespace text {

namespace {

inline bool continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

std::size_t decodeUtf8(const char* data, std::size_t size, char16_t* out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    std::size_t o = 0;  // never ahead of i, so out always has room
    while (i < size) {
#if defined(__SSE2__)
        // Runs of ASCII are widened sixteen bytes at a time. A block with a
        // high byte is widened too, and the ASCII before that byte kept.
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= size) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + 8),
                             _mm_unpackhi_epi8(block, zero));
            const unsigned high = unsigned(_mm_movemask_epi8(block));
            const std::size_t ascii = high == 0 ? 16 : std::size_t(std::countr_zero(high));
            i += ascii;
            o += ascii;
            if (high != 0) break;
        }
        if (i >= size) break;
#endif
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        switch (Utf8SequenceLength(data + i, size - i)) {
            case 2:
                out[o++] = char16_t(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
                i += 2;
                break;
            case 3:
                out[o++] = char16_t(((b & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) |
                                    (bytes[i + 2] & 0x3F));
                i += 3;
                break;
            case 4: {
                const char32_t c = (char32_t(b & 0x07) << 18) |
                                   (char32_t(bytes[i + 1] & 0x3F) << 12) |
                                   (char32_t(bytes[i + 2] & 0x3F) << 6) | (bytes[i + 3] & 0x3F);
                out[o++] = char16_t(0xD800 + ((c - 0x10000) >> 10));
                out[o++] = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
                i += 4;
                break;
            }
            default:  // not part of a well-formed sequence
                out[o++] = Cp1252ToUtf16(b);
                ++i;
                break;
        }
    }
    return o;
}

}  // namespace

TextCharset CharsetNamed(std::string_view codeset) {
    std::string folded;
    for (char c : codeset) {
        if (c == '-' || c == '_') continue;
        folded += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    // The C locale's ASCII is UTF-8 too: every ASCII text reads the same,
    // and a program started without a locale (a service, a bare container)
    // still shows UTF-8 files right, as Qt reads file names.
    const bool utf8 = folded == "utf8" || folded == "ansix3.41968" || folded == "ascii" ||
                      folded == "usascii" || folded == "646";
    return utf8 ? TextCharset::Utf8 : TextCharset::Windows1252;
}

TextCharset LocaleCharset() {
    const char* codeset = nl_langinfo(CODESET);
    return CharsetNamed(codeset ? codeset : "");
}

std::size_t Utf8SequenceLength(const char* data, std::size_t size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (size == 0) return 0;
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    // Well-formed sequences (Unicode, table 3-7): no overlong forms, no
    // surrogates, nothing above U+10FFFF; the second byte's range depends on
    // the first.
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (size < length || p[1] < low || p[1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!continuation(p[k])) return 0;
    return length;
}

std::size_t DecodeText(TextCharset charset, const char* data, std::size_t size, char16_t* out) {
    if (charset == TextCharset::Utf8) return decodeUtf8(data, size, out);
    DecodeCp1252(data, size, out);
    return size;
}

std::u16string DecodeText(TextCharset charset, std::string_view data) {
    std::u16string out(data.size(), u'\0');
    out.resize(DecodeText(charset, data.data(), data.size(), out.data()));
    return out;
}

std::size_t CharacterStart(std::string_view data, std::size_t pos) {
    if (pos == 0 || pos >= data.size() || !continuation(static_cast<unsigned char>(data[pos])))
        return pos;
    // A sequence is at most four bytes: its lead byte is among the three
    // before pos. Decoding lands on every lead byte of a well-formed
    // sequence (no sequence covers a lead byte), so this one is decoded whole.
    for (std::size_t back = 1; back <= 3 && back <= pos; ++back) {
        const std::size_t start = pos - back;
        const unsigned char b = static_cast<unsigned char>(data[start]);
        if (continuation(b)) continue;
        const std::size_t length = Utf8SequenceLength(data.data() + start, data.size() - start);
        return length > back ? start : pos;
    }
    return pos;
}

}  // namespace text
