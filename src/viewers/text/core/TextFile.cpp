#include "viewers/text/core/TextFile.h"

// Project
#include "base/Error.h"
#include "base/RegularFile.h"

namespace text {

const char* const kTextTooLargeMessage = "Text exceeds memo capacity";

std::string ReadWholeFile(const std::string& nativePath, const std::string& shownPath,
                          std::size_t capacity) {
    TRegularFile file(nativePath, shownPath);
    if (file.Size() > capacity) throw EError(kTextTooLargeMessage);

    // One buffer of the file's size, filled from first to last byte. A file
    // that shrinks meanwhile gives what is there; one that grows is cut at
    // the size it had when it was opened.
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    std::size_t done = 0;
    if (!file.Read(bytes.data(), bytes.size(), &done)) throw EError(CannotOpenMessage(shownPath));
    bytes.resize(done);
    return bytes;
}

}  // namespace text
