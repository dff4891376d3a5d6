#pragma once

#include <string>

// The texts of the failures the viewers show in the error box, each written
// once here. They stay exactly as they read, spelling included: users and
// tests know them by their words.

/// Every viewer's message for a file it cannot open or read ("Cannot open
/// file <shownPath>"; made in RegularFile.cpp).
std::string CannotOpenMessage(const std::string& shownPath);

/// A picture file that ends inside what its headers promise.
inline constexpr char kStreamReadError[] = "Stream read error";
/// A BMP whose headers describe no picture (and a bitmap of no such depth).
inline constexpr char kBitmapNotValid[] = "Bitmap image is not valid";
/// A file whose signature is neither "GIF87a" nor "GIF89a".
inline constexpr char kUnknownGifVersion[] = "Unknown GIF version";
/// A GIF frame without a colour table to decode it with.
inline constexpr char kGifColorCount[] = "Wrong number of colors; must be a power of 2";

/// The settings store's failures, as QString::arg formats (the section, the
/// value's name).
inline constexpr char kCannotCreateKey[] = "Failed to create key %1";
inline constexpr char kCannotSetData[] = "Failed to set data for '%1'";
inline constexpr char kInvalidDataType[] = "Invalid data type for '%1'";
