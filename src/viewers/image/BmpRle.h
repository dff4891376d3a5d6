#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;
struct TRGBQuad;

/**
 * Expands the run-length codes of a BMP file (8-bit or 4-bit) into a 24-bit
 * picture that has already been allocated bottom-up with the file's width
 * and height. Pixels the codes never reach (skipped by a delta, an early end
 * of line or of the picture, or missing data) stay black. Runs and deltas
 * beyond the picture's edge are clipped; nothing is read past size.
 */
void ExpandBmpRle(const uint8_t* data, size_t size, int bitsPerIndex,
                  const std::vector<TRGBQuad>& palette, TBitmap& out);
