#pragma once

#include "base/Bitmap.h"
#include "viewers/image/core/Graphic.h"

/** A BMP file's picture: the TBitmap read by TBmpReader. */
class TBmpGraphic : public TGraphic {
public:
    void LoadFromFile(const std::string& path) override;
    int Width() const override { return bitmap_.width(); }
    int Height() const override { return bitmap_.height(); }
    const TBitmap& Pixels() override { return bitmap_; }

private:
    TBitmap bitmap_;
};
