// Own
#include "base/Error.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <cstddef>
#include <cstdint>

// The input is the file; its length picks whether frame 0 is decoded during
// the load, so that the real GIFs of the seed corpus load as they are and
// both modes are reached. Every frame is then decoded, except frames whose
// raster alone would pass a million pixels: those only show that the
// size limit holds, which the unit tests check, and would make each run slow.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const bool decodeFirst = (size & 1) == 0;
    TGIFImage image;
    int changes = 0;
    image.OnChange = [&changes] { ++changes; };
    try {
        LoadGif(image, data, size, decodeFirst);
    } catch (const EError&) {
        if (changes != 0) __builtin_trap();
    }
    for (int i = 0; i < image.FrameCount(); ++i) {
        const TGIFItem& item = *image.Frame(i).Item;
        if (uint64_t(item.FrameWidth) * item.FrameHeight > (uint64_t(1) << 20)) continue;
        try {
            const TBitmap& raster = image.FrameRaster(i);
            const TRasterSize kept = FrameRasterSize(image.Frame(i));
            if (!item.CodeStream.empty() &&
                (raster.width() != kept.Width || raster.height() != kept.Height))
                __builtin_trap();
        } catch (const EError&) {
        }
    }
    (void)image.Empty();
    (void)image.Transparent();
    return 0;
}
