// Own
#include "base/Error.h"
#include "viewers/gif/core/GifComposer.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <algorithm>
#include <cstddef>
#include <cstdint>

// The input is a GIF file: it is loaded as the view loads it, and its frames
// are composed as the view shows them: in order, then backwards, then past
// the last, within windows of the screen as a small view shows them (one at
// the top left, one at a place taken from the input), and over the whole
// screen when that is small. Composing costs time per pixel of the window
// and frame, which the coverage counters multiply. Every input runs, however large its screen
// or frames: the image's budget bounds what it may allocate, and the fuzzer
// runs with -malloc_limit_mb at that budget (fuzz/fuzz_gif_compose.flags), so
// an allocation past it is a finding.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGIFImage image;
    try {
        LoadGif(image, data, size, true);
    } catch (const EError&) {
    }
    if (image.FrameCount() == 0) return 0;
    const int w = image.LogicalWidth, h = image.LogicalHeight;
    const TPixelRect screen{0, 0, w, h};
    const TPixelRect moved{int(size * 2654435761u % uint32_t(std::max(w, 1))),
                           int(size * 40503u % uint32_t(std::max(h, 1))), 64, 64};
    const TPixelRect windows[] = {{0, 0, 64, 64}, moved, screen};
    const int count = image.FrameCount();
    TGIFComposer composer;
    const bool transparent = (size & 1) == 0;
    int turn = 0;
    for (int index : {0, 1, 2, count - 1, 0, count, -1}) {
        for (int step = 0; step < 3; ++step) {
            const TPixelRect& window = windows[turn++ % 3];
            if (&window == &windows[2] && uint64_t(w) * uint64_t(h) > 128 * 128) continue;
            uint32_t key = 0;
            try {
                const TComposedPicture& picture =
                    composer.ComposeFrame(image, index + step, transparent, key, &window);
                if (picture.Pixels.size() != size_t(picture.Width) * size_t(picture.Height) ||
                    !screen.Contains(composer.ValidRect()))
                    __builtin_trap();
            } catch (const EError&) {
            }
        }
    }
    if (image.Budget().Peak() > image.Budget().Limit()) __builtin_trap();
    return 0;
}
