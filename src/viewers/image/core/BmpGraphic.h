#pragma once

#include "base/Bitmap.h"
#include "viewers/image/core/Graphic.h"

/** A BMP file's picture: the TBitmap read by TBmpReader. */
class TBmpGraphic : public TGraphic {
public:
    void LoadFromFile(const std::string& path) override;
    int Width() const override { return FBitmap.width(); }
    int Height() const override { return FBitmap.height(); }
    const TBitmap& Pixels() override { return FBitmap; }

private:
    TBitmap FBitmap;
};
