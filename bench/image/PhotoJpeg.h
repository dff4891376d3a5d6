#pragma once

// A photograph-like JPEG made for benchmarks, so that they run on a clone
// alone: smooth light falling across the picture, a fine texture and sensor
// noise, encoded by libjpeg-turbo at quality 90 with 2x2 chroma subsampling
// as cameras do (a 12-megapixel picture comes to about 4 MB). Every pixel
// lies well inside one colour family (strong green or strong blue), so that
// one pixel read from the screen tells which picture is shown.

// C++
#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <vector>

// Project (the tests' JPEG encoder)
#include "image/ImageTestSupport.h"

namespace benchphoto {

enum class TFamily { Green, Blue };

inline std::vector<uint8_t> PhotoJpeg(int width, int height, TFamily family, unsigned seed) {
    std::mt19937 rng(seed);
    const double fx = 6.2831853 / width, fy = 6.2831853 / height;
    // Pixels come row by row, left to right, so the noise is the same for a seed.
    const auto colour = [&](int x, int y, uint8_t* p) {
        const uint32_t noise = rng();
        // Light in 0..1 across the frame, texture and noise of a few levels.
        const double light = 0.5 + 0.25 * std::sin(x * fx * 1.3 + seed) * std::cos(y * fy * 0.9);
        const int texture = int(8 * std::sin(x * 0.21 + y * 0.13)) + int(noise % 13) - 6;
        const int strong = 170 + int(60 * light) + texture / 2;
        const int weak1 = 20 + int(50 * light) + texture;
        const int weak2 = 30 + int(40 * (1 - light)) + int((noise >> 8) % 9);
        const auto clamp = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
        if (family == TFamily::Green) {
            p[0] = clamp(weak1), p[1] = clamp(strong), p[2] = clamp(weak2);
        } else {
            p[0] = clamp(weak2), p[1] = clamp(weak1), p[2] = clamp(strong);
        }
    };
    return EncodeJpeg(width, height, 3, JCS_RGB, colour,
                      [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 90, TRUE); });
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

}  // namespace benchphoto
