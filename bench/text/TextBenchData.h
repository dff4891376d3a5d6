#pragma once

#include <cstddef>
#include <string>

/// Text of about `size` bytes in lines of 0 to 120 characters, words of
/// Latin-1 and Windows-1252 letters, with CR LF, LF, CR and LF CR breaks mixed.
std::string MixedBreakText(std::size_t size);

/// Bytes of heap the process has in use (glibc's count).
std::size_t HeapInUse();
