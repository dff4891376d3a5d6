#include "viewers/text/core/TextPrepare.h"

// C++
#include <cstdint>
#include <cstring>

// Project
#include "base/Error.h"
#include "viewers/text/core/TextFile.h"
#include "viewers/text/core/TextNormalize.h"

namespace text {

TPreparedText PrepareTextFile(const std::string& nativePath, const std::string& shownPath,
                              std::size_t capacity, std::size_t lineCapacity) {
    std::string bytes = ReadWholeFile(nativePath, shownPath, capacity);
    // Two passes: count, then fill a buffer of the final size.
    const std::size_t length = NormalizedLength(bytes.data(), bytes.size());
    if (length == SIZE_MAX) throw EError(kTextTooLargeMessage);
    TPreparedText prepared;
    prepared.normalized.assign(length, '\0');
    prepared.normalized.resize(
        NormalizeLineBreaks(bytes.data(), bytes.size(), prepared.normalized.data(), length));
    std::string().swap(bytes);
    // The view takes the text up to its first NUL.
    std::string& text = prepared.normalized;
    if (const void* nul = std::memchr(text.data(), '\0', text.size()))
        text.resize(static_cast<const char*>(nul) - text.data());
    prepared.tooLarge = text.size() > capacity || LongestLineLength(text) > lineCapacity;
    return prepared;
}

}  // namespace text
