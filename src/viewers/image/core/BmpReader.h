#pragma once

#include <string>

class TBitmap;
class TByteStream;
class TMemoryBudget;

/**
 * The BMP reader: Windows and OS/2 bitmap files into a TBitmap.
 *
 * The pixel data starts where the file header's offset says when that lies
 * at or after the end of the colour table and inside the file; otherwise
 * right after the colour table. Uncompressed and bit-field pictures keep their
 * depth and are read straight into the picture's memory; 8-bit and 4-bit
 * run-length pictures are expanded into 24 bits. Rows the file does not
 * supply stay zero and cost no memory until drawn. Failures: "Bitmap image
 * is not valid", "Stream read error" (the file ends inside a header, the
 * masks or the colour table) and the out-of-memory "System Error" text for a
 * picture above TBitmap::kMaxPixels or, with a budget, for one whose pixels
 * and 32-bit drawing copy together do not fit it: that is known from the
 * header, before anything is allocated.
 */
class TBmpReader {
public:
    /// Reads a whole BMP file from the stream's current position; the
    /// picture's pixels are held in the budget when one is given.
    static TBitmap Read(TByteStream& in, TMemoryBudget* budget = nullptr);

    /// Opens a file (see TImageFile for the rules) and reads it.
    static TBitmap ReadFile(const std::string& path, TMemoryBudget* budget = nullptr);
};
