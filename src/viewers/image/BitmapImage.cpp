#include "viewers/image/BitmapImage.h"

// Project
#include "viewers/image/Bitmap.h"

QImage BitmapToImage(const TBitmap& bitmap) {
    if (bitmap.empty()) return {};
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int32_t y = 0; y < bitmap.height(); ++y)
        bitmap.rowToArgb32(y, reinterpret_cast<uint32_t*>(image.scanLine(y)));
    return image;
}
