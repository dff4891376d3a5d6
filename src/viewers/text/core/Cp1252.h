#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/**
 * Bytes to characters through Windows-1252, the 8-bit code page a byte falls
 * back to when it is not part of a character of the user's charset
 * (TextDecode.h): bytes below 0x80 and from 0xA0 are the same code points,
 * 0x80..0x9F follow the code page's table, and its five undefined bytes
 * (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own value. Every byte is one
 * character.
 */
namespace text {

/// The character one byte stands for.
char16_t Cp1252ToUtf16(unsigned char byte);

/// Decodes size bytes into out, which must hold size characters.
void DecodeCp1252(const char* data, std::size_t size, char16_t* out);

/// Decodes into a new string of the same length.
std::u16string DecodeCp1252(std::string_view data);

}  // namespace text
