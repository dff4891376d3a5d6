#pragma once

#include <cstddef>
#include <cstdint>

/**
 * A photo's EXIF orientation (tag 0x0112 of the first image directory in
 * its APP1 "Exif" segment): how the stored rows are to be turned to stand
 * upright. 1 is as stored; 2 mirrored left to right; 3 turned half round;
 * 4 mirrored top to bottom; 5 mirrored along the main diagonal (transposed);
 * 6 turned a quarter clockwise; 7 mirrored along the other diagonal; 8 turned
 * a quarter anticlockwise. Nothing else of EXIF is read.
 */
namespace orientation {

/// The orientation a JPEG file's bytes give: the value of the tag in the
/// first APP1 segment that holds EXIF data, when it is 1 to 8; 1 otherwise
/// (no such segment, no such tag, a damaged one). Reads only the segments
/// before the first scan, and never past `size`.
int FromJpeg(const uint8_t* data, std::size_t size);

/// Whether the orientation swaps width and height (5 to 8).
bool SwapsAxes(int orientation);

/// The mapping from stored to upright coordinates: a point (x, y) of a
/// stored picture of w x h lands at (m[0] x + m[2] y + m[4], m[1] x + m[3] y
/// + m[5]) of the upright one (continuous coordinates, corners to corners).
struct TMatrix {
    double m[6];
};
TMatrix Matrix(int orientation, int w, int h);

}  // namespace orientation
