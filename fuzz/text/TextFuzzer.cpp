// Line-break normalisation and Windows-1252 decoding of arbitrary bytes: the
// second pass writes exactly what the first predicted, every break comes out
// as CR LF, decoding keeps one character per byte, the pieces a long text
// is shown in cover the text without parting a CR from its LF, and the
// longest line found for the capacity check is the longest run between LFs.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "viewers/text/core/Cp1252.h"
#include "viewers/text/core/TextNormalize.h"

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

    const std::size_t want = size > 0 ? std::size_t(data[0]) * 7 : 0;
    std::size_t covered = 0;
    while (covered < out.size()) {
        const std::size_t end = text::PieceEnd(out, covered, want);
        if (end <= covered || end > out.size() || out[end - 1] == '\r') std::abort();
        covered = end;
    }

    std::size_t longest = 0, run = 0;
    for (char c : out) {
        run = c == '\n' ? 0 : run + 1;
        if (run > longest) longest = run;
    }
    if (text::LongestLineLength(out) != longest) std::abort();

    const std::u16string decoded = text::DecodeCp1252(out);
    if (decoded.size() != out.size()) std::abort();
    for (std::size_t i = 0; i < out.size(); ++i)
        if (decoded[i] != text::Cp1252ToUtf16(static_cast<unsigned char>(out[i]))) std::abort();
    return 0;
}
