// libFuzzer target: the SVG reference count and gzip inflation of arbitrary
// bytes. The count never passes its cap and a smaller cap gives the smaller
// of the two (the count saturates, cycles give the cap); inflation never
// gives more than its limit.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Error.h"
#include "viewers/image/core/SvgGuard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view doc(reinterpret_cast<const char*>(data), size);
    const uint64_t full = svg::DrawnElements(doc);
    if (full > svg::kMaxDrawnElements) std::abort();
    const uint64_t small = svg::DrawnElements(doc, 50);
    if (small != std::min<uint64_t>(full, 50)) std::abort();
    try {
        if (svg::Gunzip(data, size, 1 << 16).size() > (1 << 16)) std::abort();
    } catch (const EError&) {
    }
    return 0;
}
