// libFuzzer target: the BMP reader on arbitrary bytes.

// C++
#include <cstddef>
#include <cstdint>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "base/MemoryBudget.h"
#include "viewers/image/core/BmpReader.h"
#include "viewers/image/core/MemoryStream.h"

namespace {
// Converting pictures to colours costs time per pixel; big ones are only read.
constexpr uint64_t kConvertedPixels = uint64_t(1) << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in(data, size);
    TMemoryBudget budget;
    try {
        const TBitmap bitmap = TBmpReader::Read(in, &budget);
        if (uint64_t(bitmap.width()) * uint64_t(bitmap.height()) <= kConvertedPixels)
            (void)bitmap.toArgb32();
    } catch (const EError&) {
    }
    return 0;
}
