#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/**
 * Bytes to characters through the user's character set. In UTF-8 (the
 * character set of every current Linux desktop) each well-formed sequence is
 * its character, and each byte that is not part of one is its Windows-1252
 * character, so an older 8-bit file stays readable and no byte is dropped or
 * replaced. The C locale's ASCII counts as UTF-8; any other character set
 * reads every byte as Windows-1252. There
 * is no detection and no byte-order-mark handling: EF BB BF is U+FEFF like
 * any other character.
 */
namespace text {

enum class TextCharset {
    Utf8,         ///< well-formed UTF-8; other bytes as Windows-1252
    Windows1252,  ///< one character per byte
};

/// The charset a codeset name (as nl_langinfo(CODESET) gives it) stands
/// for: "UTF-8" in any letter case, with or without its dash, is UTF-8, and
/// so is the ASCII of the C locale (its superset); any other is Windows-1252.
TextCharset CharsetNamed(std::string_view codeset);

/// The charset of the current C locale's LC_CTYPE (set by the program, e.g.
/// by setlocale(LC_ALL, "") as QCoreApplication does).
TextCharset LocaleCharset();

/// The length of the well-formed UTF-8 sequence at the start of data (1 to
/// 4), or 0 when the bytes there are not one (an ASCII byte is one of 1).
std::size_t Utf8SequenceLength(const char* data, std::size_t size);

/// Decodes size bytes into out, which must hold size UTF-16 units (never
/// more are needed: every sequence takes at least as many bytes as units).
/// Returns the number of units written. Decoding is local: a cut that does
/// not fall inside a well-formed sequence decodes to the same characters in
/// two parts as in one.
std::size_t DecodeText(TextCharset charset, const char* data, std::size_t size, char16_t* out);

/// Decodes into a new string.
std::u16string DecodeText(TextCharset charset, std::string_view data);

/// pos itself, or, when pos lies strictly inside a well-formed UTF-8
/// sequence, where that sequence starts (a cut there parts no character).
std::size_t CharacterStart(std::string_view data, std::size_t pos);

}  // namespace text
