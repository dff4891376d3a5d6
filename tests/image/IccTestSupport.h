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

// Adobe RGB again, but as lookup tables (an AToB0 pipeline of its curves and
// matrix) instead of a matrix and curves: a profile Qt 6.4's QColorSpace
// does not read, and Little CMS does.
inline cmsHPROFILE AdobeRgbTableProfile() {
    cmsHPROFILE matrix = AdobeRgbProfile();
    const auto* red = static_cast<const cmsCIEXYZ*>(cmsReadTag(matrix, cmsSigRedColorantTag));
    const auto* green = static_cast<const cmsCIEXYZ*>(cmsReadTag(matrix, cmsSigGreenColorantTag));
    const auto* blue = static_cast<const cmsCIEXYZ*>(cmsReadTag(matrix, cmsSigBlueColorantTag));
    // The pipeline's XYZ is scaled so that 1.0 is the largest encodable value.
    const double scale = 1.0 + 32767.0 / 32768.0;
    const cmsFloat64Number m[9] = {red->X / scale, green->X / scale, blue->X / scale,
                                   red->Y / scale, green->Y / scale, blue->Y / scale,
                                   red->Z / scale, green->Z / scale, blue->Z / scale};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, curves));
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocMatrix(nullptr, 3, 3, m, nullptr));
    // As the table type stores it: "M" curves, the matrix, then "B" curves.
    cmsToneCurve* identity = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* identities[3] = {identity, identity, identity};
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, identities));
    cmsFreeToneCurve(identity);
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigDisplayClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, cmsSigXYZData);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsPipelineFree(lut);
    cmsFreeToneCurve(gamma);
    cmsCloseProfile(matrix);
    return profile;
}
