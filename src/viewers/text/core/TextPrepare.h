#pragma once

#include <cstddef>
#include <string>

namespace text {

/**
 * A text file made ready to be shown: read whole, line breaks normalised,
 * cut at its first NUL, and judged against the view's capacities. The same
 * whether it is made when the file is shown or ahead of that on a worker.
 */
struct TPreparedText {
    std::string normalized;
    /// Beyond the capacity or the line capacity: "Text exceeds memo capacity"
    /// when it is shown, unless it equals what is shown already.
    bool tooLarge = false;
};

/// Reads and prepares the file. Throws EError as ReadWholeFile does, and
/// "Text exceeds memo capacity" when its normalised length cannot be held.
TPreparedText PrepareTextFile(const std::string& nativePath, const std::string& shownPath,
                              std::size_t capacity, std::size_t lineCapacity);

}  // namespace text
