// EXIF orientation: read from a JPEG's APP1 segment in both byte orders (1
// where there is none or it is damaged), and each value's mapping from the
// stored picture to the upright one.

#include <gtest/gtest.h>

#include <vector>

#include "ImageTestSupport.h"
#include "viewers/image/core/JpegImage.h"
#include "viewers/image/core/Orientation.h"
#include "viewers/image/core/Picture.h"

TEST(Orientation, ReadFromTheExifSegmentOfAJpeg) {
    const std::vector<uint8_t> plain = EncodePhoto(16, 8);
    EXPECT_EQ(orientation::FromJpeg(plain.data(), plain.size()), 1);
    for (int o = 1; o <= 8; ++o)
        for (bool little : {false, true}) {
            const std::vector<uint8_t> jpeg = WithOrientation(plain, o, little);
            EXPECT_EQ(orientation::FromJpeg(jpeg.data(), jpeg.size()), o) << o << little;
        }
    // Out of range, cut short, not a JPEG: as stored.
    for (int o : {0, 9, 300}) {
        const std::vector<uint8_t> jpeg = WithOrientation(plain, o);
        EXPECT_EQ(orientation::FromJpeg(jpeg.data(), jpeg.size()), 1) << o;
    }
    const std::vector<uint8_t> turned = WithOrientation(plain, 6);
    // SOI and the 36 bytes of the segment: anything shorter is damaged.
    for (size_t cut = 0; cut < 38; ++cut) EXPECT_EQ(orientation::FromJpeg(turned.data(), cut), 1);
    EXPECT_EQ(orientation::FromJpeg(turned.data(), 38), 6);
    EXPECT_EQ(orientation::FromJpeg(turned.data() + 2, turned.size() - 2), 1);

    // The picture is sized as drawn; its pixels stay as stored.
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(WithOrientation(EncodePhoto(160, 80), 6));
    EXPECT_EQ(jpeg.Orientation(), 6);
    EXPECT_EQ(jpeg.Width(), 160);
    TPicture picture;
    picture.SetGraphic(std::make_unique<TJPEGImage>(std::move(jpeg)));
    EXPECT_EQ(picture.Width(), 80);
    EXPECT_EQ(picture.Height(), 160);
}

TEST(Orientation, EachValueMapsTheStoredCornersUpright) {
    // Where the stored top-left and top-right corners of 4 x 2 land.
    const struct {
        double topLeft[2], topRight[2];
    } expected[9] = {{},
                     {{0, 0}, {4, 0}},   // 1 as stored
                     {{4, 0}, {0, 0}},   // 2 mirrored left to right
                     {{4, 2}, {0, 2}},   // 3 half round
                     {{0, 2}, {4, 2}},   // 4 mirrored top to bottom
                     {{0, 0}, {0, 4}},   // 5 transposed
                     {{2, 0}, {2, 4}},   // 6 a quarter clockwise
                     {{2, 4}, {2, 0}},   // 7 the other diagonal
                     {{0, 4}, {0, 0}}};  // 8 a quarter anticlockwise
    for (int o = 1; o <= 8; ++o) {
        const orientation::TMatrix t = orientation::Matrix(o, 4, 2);
        const auto map = [&](double x, double y) {
            return std::vector<double>{t.m[0] * x + t.m[2] * y + t.m[4],
                                       t.m[1] * x + t.m[3] * y + t.m[5]};
        };
        EXPECT_EQ(map(0, 0), std::vector<double>(expected[o].topLeft, expected[o].topLeft + 2))
            << o;
        EXPECT_EQ(map(4, 0), std::vector<double>(expected[o].topRight, expected[o].topRight + 2))
            << o;
        EXPECT_EQ(orientation::SwapsAxes(o), o >= 5);
    }
}
