// Own
#include "base/Error.h"
#include "viewers/gif/GifComposer.h"
#include "viewers/gif/GifImage.h"

// C++
#include <cstddef>
#include <cstdint>

// The input is a GIF file: it is loaded, and its frames are composed the way
// the view shows them, in order, then backwards, then past the last, so that
// frames placed off the screen, odd disposal values and cut-short frames all
// meet the composition. Screens and frames above a million pixels are left
// out: they only show that the limits hold and would make each run slow.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGIFImage image;
    try {
        LoadGif(image, data, size, true);
    } catch (const EError&) {
    }
    if (image.FrameCount() == 0) return 0;
    if (uint64_t(image.LogicalWidth) * image.LogicalHeight > (uint64_t(1) << 20)) return 0;
    for (int i = 0; i < image.FrameCount(); ++i) {
        const TGIFItem& item = *image.Frame(i).Item;
        if (uint64_t(item.FrameWidth) * item.FrameHeight > (uint64_t(1) << 20)) return 0;
    }
    TGIFComposer composer;
    const bool transparent = (size & 1) == 0;
    const int count = image.FrameCount();
    for (int index : {0, 1, 2, count - 1, 0, count, -1}) {
        for (int step = 0; step < 3; ++step) {
            uint32_t key = 0;
            try {
                const TComposedPicture& picture =
                    composer.ComposeFrame(image, index + step, transparent, key);
                if (picture.Pixels.size() != size_t(picture.Width) * size_t(picture.Height))
                    __builtin_trap();
            } catch (const EError&) {
            }
        }
    }
    return 0;
}
