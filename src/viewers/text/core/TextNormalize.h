#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/**
 * Line-break normalisation of a whole text file, in two passes.
 *
 * A CR followed by LF stays as it is; every other CR and every LF that no CR
 * precedes becomes the pair CR LF (so LF CR is two breaks). All other bytes,
 * NUL included, pass unchanged. The first pass counts the bytes to add, so the
 * second fills a buffer that was allocated once at its final size.
 */
namespace text {

/// Pass one: how many bytes normalisation adds to the given bytes.
std::size_t CountAddedBytes(const char* data, std::size_t size);

/// The normalised length: size plus CountAddedBytes. Saturates instead of
/// overflowing, so a caller's capacity check always sees a too-large value.
std::size_t NormalizedLength(const char* data, std::size_t size);

/// Pass two: writes the normalised bytes to out, which holds exactly
/// outSize bytes (the value NormalizedLength returned). Returns the number
/// of bytes written; it never writes past outSize.
std::size_t NormalizeLineBreaks(const char* data, std::size_t size, char* out, std::size_t outSize);

/// Both passes into a new string.
std::string NormalizeLineBreaks(std::string_view data);

/// Where a piece of normalised text that starts at `from` and should hold
/// about `want` bytes ends, for a view that takes a long text piece by
/// piece: right after the first line break from `from + want` on (looked for
/// within a few kilobytes), else at `from + want` itself, never between a CR
/// and its LF nor inside a well-formed UTF-8 sequence (so never between the
/// two halves of a surrogate pair once decoded); the text's end when that
/// comes first. Always beyond `from` while `from` is before the end.
std::size_t PieceEnd(std::string_view normalized, std::size_t from, std::size_t want);

/// The most bytes between two LF bytes (or the text's ends): the longest
/// line of a normalised text, its CR included.
std::size_t LongestLineLength(std::string_view text);

}  // namespace text
