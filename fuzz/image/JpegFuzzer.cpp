// libFuzzer target: loading a JPEG (header) and its first decode, for every
// other input through the decode ahead on a worker thread.

// C++
#include <cstddef>
#include <cstdint>
#include <vector>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "viewers/image/core/JpegImage.h"

namespace {
// Decoding costs time per pixel; pictures above this are only loaded, which
// still checks their header against the pixel limit.
constexpr uint64_t kDecodedPixels = uint64_t(1) << 22;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromBytes(std::vector<uint8_t>(data, data + size));
    } catch (const EError&) {
        return 0;
    }
    if (uint64_t(jpeg.Width()) * uint64_t(jpeg.Height()) > kDecodedPixels) return 0;
    if (size % 2) jpeg.DecodeAhead();
    for (int pass = 0; pass < 2; ++pass) {  // the second pass must not decode again
        try {
            const TBitmap& pixels = jpeg.Pixels();
            (void)pixels.toArgb32();
        } catch (const EError&) {
        }
    }
    if (jpeg.DecodeCount() != 1) __builtin_trap();
    return 0;
}
