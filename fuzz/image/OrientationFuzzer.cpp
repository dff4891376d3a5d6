// libFuzzer target: the EXIF orientation of arbitrary bytes, as they stand
// and behind a JPEG start and APP1 marker (so that most inputs reach the
// TIFF structure). Always 1 to 8; never reads past the input (ASan).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "viewers/image/core/Orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int plain = orientation::FromJpeg(data, size);
    if (plain < 1 || plain > 8) std::abort();
    std::vector<uint8_t> framed = {
        0xFF, 0xD8, 0xFF, 0xE1, uint8_t((size + 8) >> 8), uint8_t(size + 8), 'E', 'x',
        'i',  'f',  0,    0};
    framed.insert(framed.end(), data, data + size);
    const int exif = orientation::FromJpeg(framed.data(), framed.size());
    if (exif < 1 || exif > 8) std::abort();
    return 0;
}
