#pragma once

#include <cstddef>
#include <string>

/**
 * Reading a whole text file in one go, refusing what is not a regular file
 * before anything is read from it: a FIFO or a device is never opened for a
 * blocking read, so it can neither freeze the window nor be consumed.
 */
namespace text {

/// The failure text of a text above the view's capacity.
extern const char* const kTextTooLargeMessage;

/// Reads the regular file at nativePath (the bytes handed to the system) into
/// one string. Throws EError "Cannot open file <shownPath>" when it cannot be
/// opened, is not a regular file or vanished, and "Text exceeds memo capacity"
/// when its size is above capacity, before any byte is read.
std::string ReadWholeFile(const std::string& nativePath, const std::string& shownPath,
                          std::size_t capacity);

}  // namespace text
