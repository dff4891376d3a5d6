#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/**
 * Embedded colour profiles, converted to sRGB for drawing. A JPEG carries
 * its ICC profile in APP2 segments ("ICC_PROFILE", a sequence number and a
 * count each, joined in sequence order), a PNG in its iCCP chunk (a name,
 * then the profile deflated). Profiles are read with Little CMS.
 *
 * An RGB matrix-shaper profile (Adobe RGB, Display P3, ProPhoto, most camera
 * and screen profiles) converts through tables of its own: each channel's
 * tone curve to linear light, one 3 x 3 matrix to linear sRGB in fixed
 * point, and the sRGB curve back (eight pixels at a time with AVX2); any other RGB
 * profile through a Little CMS transform. A profile that cannot be read, is
 * not RGB, or is sRGB already gives no conversion: the picture is drawn as
 * its numbers stand, never refused.
 */
namespace icc {

/// The ICC profile of a JPEG file's bytes, or nothing (no profile, a part
/// missing, parts that disagree on their count). Reads only the segments
/// before the first scan, never past `size`.
std::vector<uint8_t> FromJpeg(const uint8_t* data, std::size_t size);

/// The ICC profile of a PNG file's bytes (its iCCP chunk, inflated, at most
/// 16 MiB), or nothing. Reads only the chunks before the image data.
std::vector<uint8_t> FromPng(const uint8_t* data, std::size_t size);

/** A conversion of 32-bit blue, green, red, x rows from a profile to sRGB. */
class TToSrgb {
public:
    /// nullptr when there is nothing to convert or the profile cannot be used.
    static std::unique_ptr<TToSrgb> FromProfile(const uint8_t* profile, std::size_t size);
    ~TToSrgb();
    TToSrgb(const TToSrgb&) = delete;
    TToSrgb& operator=(const TToSrgb&) = delete;

    /// Converts `pixels` pixels of 4 bytes (blue, green, red, x) in place;
    /// the fourth byte stays. Safe to call from several threads at once.
    void Apply(uint8_t* bgrx, std::size_t pixels) const;

    /// Whether the profile converts through the matrix-shaper tables.
    bool MatrixShaper() const { return transform_ == nullptr; }

private:
    TToSrgb() = default;

    static constexpr int kLinearBits = 14;
    static constexpr int kLinearMax = 1 << kLinearBits;
    // The encoding table's index: 12 bits of linear light (steps below a
    // unit of 8-bit sRGB), so that the table stays within the first cache.
    static constexpr int kOutBits = 12;
    static constexpr int kOutMax = 1 << kOutBits;
    static constexpr int kOutShift = 2 * kLinearBits - kOutBits;
    int32_t toLinear_[3][256] = {};    // red, green, blue: 0..kLinearMax
    int32_t matrix_[3][3] = {};        // linear profile to linear sRGB, 1.14 fixed point
    std::vector<uint8_t> fromLinear_;  // kOutMax + 1 entries
    std::vector<int> fromLinearWide_;  // the same as ints, for gathers
    bool avx2_ = false;
    std::size_t applyAvx2(uint8_t* bgrx, std::size_t pixels) const;
    void* transform_ = nullptr;  // a Little CMS transform otherwise
};

}  // namespace icc
