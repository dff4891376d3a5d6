#pragma once

#include <cstdint>

/**
 * A colour as stored in settings and GIF models: red in the low byte, then
 * green, then blue (0x00BBGGRR). A value with the top bit set names a system
 * colour, resolved from the palette when drawn; clNone means no colour.
 */
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;
/// The window background (the base colour of text areas).
constexpr TColor clWindow = 0x80000005;
/// The text colour of windows.
constexpr TColor clWindowText = 0x80000008;

constexpr bool IsSystemColor(TColor color) {
    return (color & 0x80000000u) != 0;
}

constexpr TColor RGBColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}

constexpr std::uint8_t RedOf(TColor color) {
    return std::uint8_t(color & 0xFF);
}
constexpr std::uint8_t GreenOf(TColor color) {
    return std::uint8_t((color >> 8) & 0xFF);
}
constexpr std::uint8_t BlueOf(TColor color) {
    return std::uint8_t((color >> 16) & 0xFF);
}
