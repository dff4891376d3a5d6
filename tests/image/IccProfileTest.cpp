// Colour profiles: a JPEG's APP2 parts joined in order, an Adobe RGB profile
// converted to sRGB as Little CMS and ImageMagick convert it, and a profile
// that cannot be used leaving the picture as its numbers stand.

#include <gtest/gtest.h>

#include <lcms2.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "IccTestSupport.h"
#include "ImageTestSupport.h"
#include "viewers/image/core/IccProfile.h"
#include "viewers/image/core/JpegImage.h"

namespace {

uint32_t firstPixel(std::vector<uint8_t> jpeg) {
    TJPEGImage image;
    image.LoadFromBytes(std::move(jpeg));
    return image.Pixels().toArgb32()[0];
}

bool near(uint32_t argb, int r, int g, int b, int tolerance) {
    return std::abs(int((argb >> 16) & 0xFF) - r) <= tolerance &&
           std::abs(int((argb >> 8) & 0xFF) - g) <= tolerance &&
           std::abs(int(argb & 0xFF) - b) <= tolerance;
}

}  // namespace

TEST(IccProfile, JpegPartsAreJoinedByTheirNumbers) {
    const std::vector<uint8_t> plain = EncodePhoto(8, 8);
    EXPECT_TRUE(icc::FromJpeg(plain.data(), plain.size()).empty());
    const std::vector<uint8_t> icc(130, 'p');
    std::vector<uint8_t> expected = icc;
    const std::vector<uint8_t> split = WithIccProfile(plain, icc, 50);  // parts 3, 2, 1
    EXPECT_EQ(icc::FromJpeg(split.data(), split.size()), expected);
    // A part missing, or parts that disagree on their count: no profile.
    std::vector<uint8_t> missing(plain.begin(), plain.begin() + 2);
    const std::vector<uint8_t> one = IccSegment(1, 2, "abc");
    missing.insert(missing.end(), one.begin(), one.end());
    missing.insert(missing.end(), plain.begin() + 2, plain.end());
    EXPECT_TRUE(icc::FromJpeg(missing.data(), missing.size()).empty());
    std::vector<uint8_t> disagree = missing;
    const std::vector<uint8_t> other = IccSegment(2, 3, "def");
    disagree.insert(disagree.begin() + 2, other.begin(), other.end());
    EXPECT_TRUE(icc::FromJpeg(disagree.data(), disagree.size()).empty());
}

TEST(IccProfile, AdobeRgbConvertsAsLittleCmsAndImageMagickDo) {
    const std::vector<uint8_t> adobe = SavedProfile(AdobeRgbProfile());
    const auto toSrgb = icc::TToSrgb::FromProfile(adobe.data(), adobe.size());
    ASSERT_NE(toSrgb, nullptr);
    EXPECT_TRUE(toSrgb->MatrixShaper());
    // Little CMS's own transform over a cube of colours: within one unit.
    cmsHPROFILE in = AdobeRgbProfile(), out = cmsCreate_sRGBProfile();
    cmsHTRANSFORM reference =
        cmsCreateTransform(in, TYPE_BGRA_8, out, TYPE_BGRA_8, INTENT_PERCEPTUAL, 0);
    std::vector<uint8_t> pixels, expected;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15)
                pixels.insert(pixels.end(), {uint8_t(b), uint8_t(g), uint8_t(r), 0xFF});
    expected.resize(pixels.size());
    cmsDoTransform(reference, pixels.data(), expected.data(), cmsUInt32Number(pixels.size() / 4));
    cmsDeleteTransform(reference);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    toSrgb->Apply(pixels.data(), pixels.size() / 4);
    int worst = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (i % 4 != 3)
            worst = std::max(worst, std::abs(int(pixels[i]) - int(expected[i])));
        else
            EXPECT_EQ(pixels[i], 0xFF);
    EXPECT_LE(worst, 1);

    // A green stored as (117, 199, 75) in Adobe RGB, in a JPEG: ImageMagick's
    // conversion to sRGB gives (39.9, 200.3, 60.4).
    const std::vector<uint8_t> green = EncodeJpeg(
        32, 32, 3, JCS_RGB, [](int, int, uint8_t* p) { p[0] = 117, p[1] = 199, p[2] = 75; },
        [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 100, TRUE); });
    EXPECT_TRUE(near(firstPixel(green), 117, 199, 75, 2));
    EXPECT_TRUE(near(firstPixel(WithIccProfile(green, adobe)), 40, 200, 60, 3));
    EXPECT_TRUE(near(firstPixel(WithIccProfile(green, adobe, 100)), 40, 200, 60, 3));
    // A picture large enough to be converted beside its decode, on another
    // thread: every row, the last included.
    const std::vector<uint8_t> large = EncodeJpeg(
        1024, 1040, 3, JCS_RGB, [](int, int, uint8_t* p) { p[0] = 117, p[1] = 199, p[2] = 75; },
        [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 100, TRUE); });
    TJPEGImage image;
    image.LoadFromBytes(WithIccProfile(large, adobe));
    const std::vector<uint32_t> drawn = image.Pixels().toArgb32();
    for (std::size_t i : {std::size_t(0), drawn.size() / 2, drawn.size() - 1})
        EXPECT_TRUE(near(drawn[i], 40, 200, 60, 3)) << i;
}

TEST(IccProfile, AProfileThatCannotBeUsedLeavesTheNumbers) {
    EXPECT_EQ(icc::TToSrgb::FromProfile(nullptr, 0), nullptr);
    // sRGB itself, a gray profile, a cut or garbled one: nothing to convert.
    const std::vector<uint8_t> srgb = SavedProfile(cmsCreate_sRGBProfile());
    EXPECT_EQ(icc::TToSrgb::FromProfile(srgb.data(), srgb.size()), nullptr);
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    const std::vector<uint8_t> gray = SavedProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma));
    cmsFreeToneCurve(gamma);
    EXPECT_EQ(icc::TToSrgb::FromProfile(gray.data(), gray.size()), nullptr);
    std::vector<uint8_t> adobe = SavedProfile(AdobeRgbProfile());
    EXPECT_EQ(icc::TToSrgb::FromProfile(adobe.data(), 200), nullptr);
    std::vector<uint8_t> garbled(adobe.size(), 0x5A);
    EXPECT_EQ(icc::TToSrgb::FromProfile(garbled.data(), garbled.size()), nullptr);
    // Drawn as the numbers stand, never refused.
    const std::vector<uint8_t> green = EncodeJpeg(
        16, 16, 3, JCS_RGB, [](int, int, uint8_t* p) { p[0] = 117, p[1] = 199, p[2] = 75; },
        [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 100, TRUE); });
    EXPECT_TRUE(near(firstPixel(WithIccProfile(green, garbled)), 117, 199, 75, 2));
    EXPECT_TRUE(near(
        firstPixel(WithIccProfile(green, std::vector<uint8_t>(adobe.begin(), adobe.begin() + 300))),
        117, 199, 75, 2));
}

// Found by fuzzing (the head of a JPEG): a matrix-shaper profile whose matrix to sRGB is too wide
// for the fixed-point tables overflowed them; it goes through Little CMS.
TEST(IccProfile, AWideMatrixGoesThroughLittleCms) {
    const std::vector<uint8_t> head =
        ReadTestFile(TARVEL_TEST_DATA_DIR "/icc-wide-matrix-overflowed-fixed-point.jpg");
    const std::vector<uint8_t> wide = icc::FromJpeg(head.data(), head.size());
    const auto toSrgb = icc::TToSrgb::FromProfile(wide.data(), wide.size());
    ASSERT_NE(toSrgb, nullptr);
    EXPECT_FALSE(toSrgb->MatrixShaper());
    std::vector<uint8_t> row(256 * 4, 0xFF);
    for (int v = 0; v < 256; ++v)
        row[size_t(v) * 4] = row[size_t(v) * 4 + 1] = row[size_t(v) * 4 + 2] = uint8_t(v);
    toSrgb->Apply(row.data(), 256);
    for (int v = 0; v < 256; ++v) EXPECT_EQ(row[size_t(v) * 4 + 3], 0xFF);
}
