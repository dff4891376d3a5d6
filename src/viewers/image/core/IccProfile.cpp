#include "viewers/image/core/IccProfile.h"

// Little CMS, zlib
#include <lcms2.h>
#include <zlib.h>

// C++ standard library
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace icc {

namespace {

// The largest matrix coefficient the fixed-point path takes: three products
// of a 14-bit fraction, a coefficient and 14-bit light stay below 2^31.
constexpr double kMaxCoefficient = 2.5;

constexpr std::size_t kTagSize = 12;  // "ICC_PROFILE" and its NUL
const uint8_t kTag[kTagSize] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

using TMatrix3 = std::array<std::array<double, 3>, 3>;

// The columns are the red, green and blue colorants (XYZ, D50 PCS).
bool colorants(cmsHPROFILE profile, TMatrix3& m) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                     cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
        if (!xyz) return false;
        m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
    }
    return true;
}

bool invert(const TMatrix3& m, TMatrix3& out) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-9) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return true;
}

struct TProfile {
    cmsHPROFILE handle;
    explicit TProfile(cmsHPROFILE h) : handle(h) {}
    ~TProfile() {
        if (handle) cmsCloseProfile(handle);
    }
};

// Quiet: a damaged profile is an ordinary case here, not a message.
void ignoreErrors(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

std::vector<uint8_t> FromJpeg(const uint8_t* data, std::size_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return {};
    std::vector<std::vector<uint8_t>> parts;
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) break;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        const std::size_t length = std::size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || length > size - at - 2) break;
        const uint8_t* segment = data + at + 4;
        const std::size_t segmentSize = length - 2;
        if (marker == 0xE2 && segmentSize > kTagSize + 2 &&
            std::memcmp(segment, kTag, kTagSize) == 0) {
            const unsigned sequence = segment[kTagSize], count = segment[kTagSize + 1];
            if (count == 0 || sequence == 0 || sequence > count) return {};
            if (parts.empty()) parts.resize(count);
            if (parts.size() != count || !parts[sequence - 1].empty()) return {};
            parts[sequence - 1].assign(segment + kTagSize + 2, segment + segmentSize);
        }
        at += 2 + length;
    }
    std::vector<uint8_t> profile;
    for (const std::vector<uint8_t>& part : parts) {
        if (part.empty()) return {};
        profile.insert(profile.end(), part.begin(), part.end());
    }
    return profile;
}

std::vector<uint8_t> FromPng(const uint8_t* data, std::size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Far above any real profile (they are kilobytes to a few megabytes).
    constexpr std::size_t kMaxProfile = std::size_t(16) << 20;
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return {};
    std::size_t at = 8;
    while (at + 8 <= size) {
        const std::size_t length = std::size_t(data[at]) << 24 | std::size_t(data[at + 1]) << 16 |
                                   std::size_t(data[at + 2]) << 8 | data[at + 3];
        const uint8_t* type = data + at + 4;
        if (length > size - at - 8) return {};
        const uint8_t* body = data + at + 8;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return {};
        if (std::memcmp(type, "iCCP", 4) == 0) {
            // A name of 1 to 79 bytes, its NUL, the method (0: deflate), the data.
            const auto* nul = static_cast<const uint8_t*>(
                std::memchr(body, 0, std::min<std::size_t>(length, 80)));
            if (!nul || nul == body || std::size_t(nul - body) + 2 > length || nul[1] != 0)
                return {};
            const uint8_t* packed = nul + 2;
            const std::size_t packedSize = length - std::size_t(packed - body);
            z_stream z{};
            if (inflateInit(&z) != Z_OK) return {};
            std::vector<uint8_t> profile(
                std::min<std::size_t>(kMaxProfile, std::max<std::size_t>(packedSize * 4, 4096)));
            z.next_in = const_cast<Bytef*>(packed);
            z.avail_in = uInt(packedSize);
            int status = Z_OK;
            std::size_t produced = 0;
            while (status == Z_OK) {
                if (produced == profile.size()) {
                    if (profile.size() == kMaxProfile) break;
                    profile.resize(std::min(kMaxProfile, profile.size() * 2));
                }
                z.next_out = profile.data() + produced;
                z.avail_out = uInt(profile.size() - produced);
                status = inflate(&z, Z_NO_FLUSH);
                produced = profile.size() - z.avail_out;
            }
            inflateEnd(&z);
            if (status != Z_STREAM_END) return {};
            profile.resize(produced);
            return profile;
        }
        at += 12 + length;  // length, type, body, CRC
    }
    return {};
}

std::unique_ptr<TToSrgb> TToSrgb::FromProfile(const uint8_t* data, std::size_t size) {
    if (!data || size < 132) return nullptr;  // not even a header and a tag count
    cmsSetLogErrorHandler(ignoreErrors);
    TProfile profile(
        cmsOpenProfileFromMem(data, cmsUInt32Number(std::min<std::size_t>(size, 1u << 30))));
    if (!profile.handle || cmsGetColorSpace(profile.handle) != cmsSigRgbData) return nullptr;
    TProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb.handle) return nullptr;
    std::unique_ptr<TToSrgb> out(new TToSrgb);

    TMatrix3 source{}, target{}, targetInverse{};
    const auto* redCurve = static_cast<cmsToneCurve*>(cmsReadTag(profile.handle, cmsSigRedTRCTag));
    const auto* greenCurve =
        static_cast<cmsToneCurve*>(cmsReadTag(profile.handle, cmsSigGreenTRCTag));
    const auto* blueCurve =
        static_cast<cmsToneCurve*>(cmsReadTag(profile.handle, cmsSigBlueTRCTag));
    const auto* srgbCurve = static_cast<cmsToneCurve*>(cmsReadTag(srgb.handle, cmsSigRedTRCTag));
    const bool matrixShaper = cmsIsMatrixShaper(profile.handle) && redCurve && greenCurve &&
                              blueCurve && srgbCurve && colorants(profile.handle, source) &&
                              colorants(srgb.handle, target) && invert(target, targetInverse);
    if (matrixShaper) {
        // Nothing to do for a profile that is sRGB in all but its name.
        TMatrix3 m{};
        double largest = 0, offDiagonal = 0;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                for (int k = 0; k < 3; ++k) m[r][c] += targetInverse[r][k] * source[k][c];
                largest = std::isfinite(m[r][c]) ? std::max(largest, std::fabs(m[r][c])) : HUGE_VAL;
                offDiagonal = std::max(offDiagonal, std::fabs(m[r][c] - (r == c ? 1.0 : 0.0)));
            }
        // Three products of this size stay within 32 bits; a wider matrix
        // (no common profile needs one) goes through Little CMS below.
        if (largest <= kMaxCoefficient) {
            const cmsToneCurve* curves[3] = {redCurve, greenCurve, blueCurve};
            double curveDifference = 0;
            for (int c = 0; c < 3; ++c)
                for (int v = 0; v < 256; ++v) {
                    double linear = cmsEvalToneCurveFloat(curves[c], float(v / 255.0));
                    if (!std::isfinite(linear)) linear = 0;
                    curveDifference = std::max(
                        curveDifference,
                        std::fabs(linear - cmsEvalToneCurveFloat(srgbCurve, float(v / 255.0))));
                    out->toLinear_[c][v] =
                        int32_t(std::lround(std::clamp(linear, 0.0, 1.0) * kLinearMax));
                }
            if (offDiagonal < 1e-3 && curveDifference < 1e-3) return nullptr;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    out->matrix_[r][c] = int32_t(std::lround(m[r][c] * kLinearMax));
            cmsToneCurve* reverse = cmsReverseToneCurve(srgbCurve);
            if (!reverse) return nullptr;
            out->fromLinear_.resize(kOutMax + 1);
            for (int i = 0; i <= kOutMax; ++i) {
                double encoded = cmsEvalToneCurveFloat(reverse, float(double(i) / kOutMax));
                if (!std::isfinite(encoded)) encoded = 0;
                out->fromLinear_[std::size_t(i)] =
                    uint8_t(std::lround(std::clamp(encoded, 0.0, 1.0) * 255.0));
            }
            cmsFreeToneCurve(reverse);
            out->fromLinearWide_.assign(out->fromLinear_.begin(), out->fromLinear_.end());
#if defined(__x86_64__)
            out->avx2_ = __builtin_cpu_supports("avx2");
#endif
            return out;
        }
    }
    // Any other RGB profile (tables, a colour lookup): Little CMS itself.
    out->transform_ = cmsCreateTransform(profile.handle, TYPE_BGRA_8, srgb.handle, TYPE_BGRA_8,
                                         INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    if (!out->transform_) return nullptr;
    return out;
}

TToSrgb::~TToSrgb() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void TToSrgb::Apply(uint8_t* p, std::size_t pixels) const {
    if (transform_) {
        // In place; the fourth byte is not written.
        while (pixels > 0) {
            const std::size_t n = std::min<std::size_t>(pixels, 1u << 20);
            cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), p, p, cmsUInt32Number(n));
            p += n * 4;
            pixels -= n;
        }
        return;
    }
#if defined(__x86_64__)
    if (avx2_) {
        const std::size_t done = applyAvx2(p, pixels);
        p += done * 4;
        pixels -= done;
    }
#endif
    // Everything the loop reads in locals: its byte stores could otherwise
    // alias the tables' addresses and the matrix, reloading them per pixel.
    const int32_t m00 = matrix_[0][0], m01 = matrix_[0][1], m02 = matrix_[0][2];
    const int32_t m10 = matrix_[1][0], m11 = matrix_[1][1], m12 = matrix_[1][2];
    const int32_t m20 = matrix_[2][0], m21 = matrix_[2][1], m22 = matrix_[2][2];
    const int32_t* const red = toLinear_[0];
    const int32_t* const green = toLinear_[1];
    const int32_t* const blue = toLinear_[2];
    const uint8_t* const out = fromLinear_.data();
    constexpr int32_t kHalf = 1 << (kOutShift - 1);
    const auto encode = [out](int32_t v) {
        v = (v + kHalf) >> kOutShift;
        return out[std::clamp(v, 0, kOutMax)];
    };
    // A pixel at a time as one little-endian word: blue, green, red, x.
    for (std::size_t i = 0; i < pixels; ++i, p += 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        const int32_t r = red[(v >> 16) & 0xFF], g = green[(v >> 8) & 0xFF], b = blue[v & 0xFF];
        const uint32_t r2 = encode(m00 * r + m01 * g + m02 * b);
        const uint32_t g2 = encode(m10 * r + m11 * g + m12 * b);
        const uint32_t b2 = encode(m20 * r + m21 * g + m22 * b);
        v = (v & 0xFF000000u) | r2 << 16 | g2 << 8 | b2;
        std::memcpy(p, &v, 4);
    }
}

#if defined(__x86_64__)
// Eight pixels at a time: the tables through gathers, the matrix in 32-bit
// lanes. Gives back how many pixels it did (a multiple of eight).
__attribute__((target("avx2"))) std::size_t TToSrgb::applyAvx2(uint8_t* p,
                                                               std::size_t pixels) const {
    const std::size_t blocks = pixels / 8;
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i half = _mm256_set1_epi32(1 << (kOutShift - 1));
    const __m256i top = _mm256_set1_epi32(kOutMax);
    const __m256i zero = _mm256_setzero_si256();
    __m256i m[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = _mm256_set1_epi32(matrix_[r][c]);
    const int* const encoded = fromLinearWide_.data();
    for (std::size_t k = 0; k < blocks; ++k, p += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i r = _mm256_i32gather_epi32(
            toLinear_[0], _mm256_and_si256(_mm256_srli_epi32(v, 16), byte), 4);
        const __m256i g = _mm256_i32gather_epi32(
            toLinear_[1], _mm256_and_si256(_mm256_srli_epi32(v, 8), byte), 4);
        const __m256i b = _mm256_i32gather_epi32(toLinear_[2], _mm256_and_si256(v, byte), 4);
        __m256i out[3];
        for (int o = 0; o < 3; ++o) {
            __m256i sum = _mm256_add_epi32(
                _mm256_add_epi32(_mm256_mullo_epi32(m[o][0], r), _mm256_mullo_epi32(m[o][1], g)),
                _mm256_add_epi32(_mm256_mullo_epi32(m[o][2], b), half));
            sum = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(sum, kOutShift), zero), top);
            out[o] = _mm256_i32gather_epi32(encoded, sum, 4);
        }
        const __m256i result = _mm256_or_si256(
            _mm256_or_si256(_mm256_and_si256(v, alpha), _mm256_slli_epi32(out[0], 16)),
            _mm256_or_si256(_mm256_slli_epi32(out[1], 8), out[2]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), result);
    }
    return blocks * 8;
}
#endif

}  // namespace icc
