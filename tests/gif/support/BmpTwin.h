#pragma once

// C++
#include <cstdint>
#include <string>
#include <vector>

/// Test-only reader for the uncompressed BMP twins of the GIF test images
/// (1, 8, 24 and 32 bits): 0xFFRRGGBB pixels, top row first. Empty on failure.
std::vector<uint32_t> readBmpTwin(const std::string& path, int& width, int& height);
