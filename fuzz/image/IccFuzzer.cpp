// libFuzzer target: colour profiles. The input is read as a JPEG's segments
// (the profile's parts joined), as a PNG's chunks (iCCP inflated) and, as it
// stands, as a profile; whatever
// conversion it gives is applied to a row of every byte value, which must
// keep each pixel's fourth byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "viewers/image/core/IccProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> joined = icc::FromJpeg(data, size);
    if (joined.size() > size) std::abort();
    const std::vector<uint8_t> inflated = icc::FromPng(data, size);
    if (inflated.size() > (size_t(16) << 20)) std::abort();
    for (const std::vector<uint8_t>& profile :
         {joined, inflated, std::vector<uint8_t>(data, data + size)}) {
        const auto toSrgb = icc::TToSrgb::FromProfile(profile.data(), profile.size());
        if (!toSrgb) continue;
        std::vector<uint8_t> row(259 * 4);
        for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i % 4 == 3 ? 0xA5 : i / 4);
        toSrgb->Apply(row.data(), row.size() / 4);
        for (size_t i = 3; i < row.size(); i += 4)
            if (row[i] != 0xA5) std::abort();
    }
    return 0;
}
