#pragma once

// Colour profiles made by the tests with Little CMS, and JPEG files that
// carry one in their APP2 segments.

#include <lcms2.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> SavedProfile(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// Adobe RGB (1998): its primaries, D65 and a gamma of 563/256.
inline cmsHPROFILE AdobeRgbProfile() {
    const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(gamma);
    return profile;
}

inline std::vector<uint8_t> IccSegment(unsigned sequence, unsigned count, const std::string& part) {
    std::string s("\xFF\xE2\0\0ICC_PROFILE\0", 16);
    s += char(sequence);
    s += char(count);
    s += part;
    s[2] = char((s.size() - 2) >> 8), s[3] = char(s.size() - 2);
    return std::vector<uint8_t>(s.begin(), s.end());
}

// The JPEG with its profile in APP2 parts of at most `partSize` bytes, the
// last part first (readers join them by their numbers).
inline std::vector<uint8_t> WithIccProfile(const std::vector<uint8_t>& jpeg,
                                           const std::vector<uint8_t>& icc,
                                           std::size_t partSize = 60000) {
    std::vector<std::vector<uint8_t>> parts;
    const unsigned count = unsigned((icc.size() + partSize - 1) / partSize);
    for (unsigned k = 0; k < count; ++k) {
        const std::size_t from = k * partSize;
        parts.push_back(
            IccSegment(k + 1, count,
                       std::string(icc.begin() + long(from),
                                   icc.begin() + long(std::min(icc.size(), from + partSize)))));
    }
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
        out.insert(out.end(), it->begin(), it->end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}
