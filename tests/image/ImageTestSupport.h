#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "viewers/image/Bitmap.h"

// The message of the EError that fn throws, or "<no error>".
inline std::string MessageOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const EError& e) {
        return e.what();
    }
    return "<no error>";
}

// Largest and mean per-channel difference of two pictures of the same size.
struct PixelDifference {
    int max = 0;
    double mean = 0;
};

inline PixelDifference Compare(const TBitmap& a, const TBitmap& b) {
    const std::vector<uint32_t> pa = a.toArgb32(), pb = b.toArgb32();
    PixelDifference d;
    if (pa.size() != pb.size() || pa.empty()) return {255, 255};
    uint64_t sum = 0;
    for (size_t i = 0; i < pa.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const int diff = std::abs(int((pa[i] >> shift) & 0xFF) - int((pb[i] >> shift) & 0xFF));
            d.max = std::max(d.max, diff);
            sum += uint64_t(diff);
        }
    d.mean = double(sum) / double(pa.size() * 3);
    return d;
}
