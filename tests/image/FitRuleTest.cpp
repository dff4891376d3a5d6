// Tests
#include <gtest/gtest.h>

// Project
#include "viewers/image/core/FitRule.h"

namespace {

const TFitOptions kStretch{true, true, false};
const TFitOptions kActualSize{false, true, false};

TEST(FitRule, StretchKeepsTheRatioFromTheTopLeft) {
    EXPECT_EQ(FitRect(400, 200, 300, 300, kStretch), (TFitRect{0, 0, 300, 150}));
    EXPECT_EQ(FitRect(200, 400, 300, 300, kStretch), (TFitRect{0, 0, 150, 300}));
    EXPECT_EQ(FitRect(1000, 10, 300, 300, kStretch), (TFitRect{0, 0, 300, 3}));
    // A square fits the height first.
    EXPECT_EQ(FitRect(300, 300, 400, 200, kStretch), (TFitRect{0, 0, 200, 200}));
    // Small pictures are enlarged.
    EXPECT_EQ(FitRect(100, 50, 400, 400, kStretch), (TFitRect{0, 0, 400, 200}));
    // Wide picture in a flat area: the height limits, the width follows.
    EXPECT_EQ(FitRect(400, 200, 300, 100, kStretch), (TFitRect{0, 0, 200, 100}));
    // Tall picture in a narrow area: the width limits.
    EXPECT_EQ(FitRect(200, 400, 100, 300, kStretch), (TFitRect{0, 0, 100, 200}));
}

TEST(FitRule, QuotientsAndProductsTruncateTowardZero) {
    // 3 x 1 into 100 x 100: 100 / 3 = 33.3 -> 33.
    EXPECT_EQ(FitRect(3, 1, 100, 100, kStretch).height, 33);
    // 2 x 3 into 100 x 100: 100 * 0.666... = 66.6 -> 66.
    EXPECT_EQ(FitRect(2, 3, 100, 100, kStretch).width, 66);
    // A ratio that is not exact in binary: 3 x 10 into 1000 x 30, the height
    // limits; 3 / 10 held as a double is just below 0.3, and 30 times it in
    // extended precision is just below 9 -> 8 (double arithmetic rounds to 9).
    EXPECT_EQ(FitRect(3, 10, 1000, 30, kStretch), (TFitRect{0, 0, 8, 30}));
}

TEST(FitRule, ActualSizeDrawsUnscaledUnlessThePictureIsLarger) {
    EXPECT_EQ(FitRect(500, 400, 500, 400, kActualSize), (TFitRect{0, 0, 500, 400}));
    EXPECT_EQ(FitRect(50, 40, 500, 400, kActualSize), (TFitRect{0, 0, 50, 40}));
    // Proportional always reduces a picture larger than the control.
    EXPECT_EQ(FitRect(1000, 400, 500, 400, kActualSize), (TFitRect{0, 0, 500, 200}));
    // Not proportional: only Stretch scales, to the whole area.
    EXPECT_EQ(FitRect(1000, 400, 500, 400, TFitOptions{false, false, false}),
              (TFitRect{0, 0, 1000, 400}));
    EXPECT_EQ(FitRect(10, 40, 500, 400, TFitOptions{true, false, false}),
              (TFitRect{0, 0, 500, 400}));
}

TEST(FitRule, EmptyPictures) {
    EXPECT_EQ(FitRect(0, 0, 300, 200, kActualSize), (TFitRect{0, 0, 0, 0}));
    EXPECT_EQ(FitRect(0, 0, 300, 200, kStretch), (TFitRect{0, 0, 300, 200}));
    EXPECT_EQ(FitRect(100, 0, 300, 200, kStretch), (TFitRect{0, 0, 300, 200}));
}

TEST(FitRule, CenterMovesByHalfTheSpareRoom) {
    EXPECT_EQ(FitRect(50, 20, 101, 51, TFitOptions{false, true, true}), (TFitRect{25, 15, 50, 20}));
    EXPECT_EQ(FitRect(400, 200, 300, 300, TFitOptions{true, true, true}),
              (TFitRect{0, 75, 300, 150}));
}

}  // namespace
