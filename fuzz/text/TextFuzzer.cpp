// Line-break normalisation and decoding of arbitrary bytes: the second pass
// writes exactly what the first predicted, every break comes out as CR LF,
// the pieces a long text is shown in cover the text without parting a CR
// from its LF or a character from itself, and the longest line found for the
// capacity check is the longest run between LFs. Decoding accounts for every
// byte: each character, encoded back (UTF-8, or its Windows-1252 byte), gives
// the input again, and the pieces decode to the whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "viewers/text/core/Cp1252.h"
#include "viewers/text/core/TextDecode.h"
#include "viewers/text/core/TextNormalize.h"

namespace {

// The bytes a character came from: its UTF-8 form when the input held that,
// else the one Windows-1252 byte it stands for.
void reencodeGivesInput(const std::u16string& decoded, const std::string& input) {
    std::size_t at = 0;
    for (std::size_t k = 0; k < decoded.size(); ++k) {
        char32_t c = decoded[k];
        if (c >= 0xD800 && c < 0xDC00) {
            if (k + 1 >= decoded.size()) std::abort();
            c = 0x10000 + ((c - 0xD800) << 10) + (decoded[++k] - 0xDC00);
        }
        std::string utf8;
        if (c < 0x80) {
            utf8 = char(c);
        } else if (c < 0x800) {
            utf8 = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            utf8 = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)),
                    char(0x80 | (c & 0x3F))};
        } else {
            utf8 = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)),
                    char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        }
        if (input.compare(at, utf8.size(), utf8) == 0 &&
            text::Utf8SequenceLength(input.data() + at, input.size() - at) == utf8.size()) {
            at += utf8.size();
            continue;
        }
        // Otherwise exactly one byte, whose Windows-1252 character this is.
        if (at >= input.size() || text::Cp1252ToUtf16(static_cast<unsigned char>(input[at])) != c)
            std::abort();
        ++at;
    }
    if (at != input.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::size_t predicted = text::NormalizedLength(bytes, size);
    if (predicted != size + text::CountAddedBytes(bytes, size)) std::abort();

    // Exactly the predicted size, so ASan catches any write past it.
    std::string out(predicted, '\0');
    const std::size_t written = text::NormalizeLineBreaks(bytes, size, out.data(), out.size());
    if (written != predicted) std::abort();

    std::size_t lineBreaks = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r') {
            if (i + 1 >= out.size() || out[i + 1] != '\n') std::abort();
            ++lineBreaks;
        } else if (out[i] == '\n' && (i == 0 || out[i - 1] != '\r')) {
            std::abort();
        }
    }
    // Only breaks change: the other bytes are all still there.
    std::size_t inputBreakBytes = 0;
    for (std::size_t i = 0; i < size; ++i) inputBreakBytes += bytes[i] == '\r' || bytes[i] == '\n';
    if (out.size() - 2 * lineBreaks != size - inputBreakBytes) std::abort();

    const std::u16string whole = text::DecodeText(text::TextCharset::Utf8, out);
    const std::size_t want = size > 0 ? std::size_t(data[0]) * 7 : 0;
    std::size_t covered = 0;
    std::u16string pieces;
    while (covered < out.size()) {
        const std::size_t end = text::PieceEnd(out, covered, want);
        if (end <= covered || end > out.size() || out[end - 1] == '\r') std::abort();
        pieces += text::DecodeText(text::TextCharset::Utf8,
                                   std::string_view(out).substr(covered, end - covered));
        covered = end;
    }
    if (pieces != whole) std::abort();

    std::size_t longest = 0, run = 0;
    for (char c : out) {
        run = c == '\n' ? 0 : run + 1;
        if (run > longest) longest = run;
    }
    if (text::LongestLineLength(out) != longest) std::abort();

    reencodeGivesInput(whole, out);

    const std::u16string decoded = text::DecodeCp1252(out);
    if (decoded.size() != out.size()) std::abort();
    for (std::size_t i = 0; i < out.size(); ++i)
        if (decoded[i] != text::Cp1252ToUtf16(static_cast<unsigned char>(out[i]))) std::abort();
    return 0;
}
