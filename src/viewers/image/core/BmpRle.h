#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;
class TByteStream;
struct TRGBQuad;

/**
 * Expands the run-length codes of a BMP file (8-bit or 4-bit) into a 24-bit
 * picture that has already been allocated bottom-up with the file's width
 * and height. The codes are read from the stream in small blocks as they are
 * needed, at most `size` bytes, and reading stops with the picture's last
 * row: however large the header's image-size field or the file, no buffer of
 * that size is made. Pixels the codes never reach (skipped by a delta, an
 * early end of line or of the picture, or missing data) stay black. Runs and
 * deltas beyond the picture's edge are clipped.
 */
void ExpandBmpRle(TByteStream& in, uint64_t size, int bitsPerIndex,
                  const std::vector<TRGBQuad>& palette, TBitmap& out);
