#include "viewers/image/BitmapImage.h"

// Project
#include "base/Bitmap.h"

bool DrawsInPlace(const TBitmap& bitmap) {
    return !bitmap.empty() && bitmap.bitsPerPixel() == 32 && bitmap.topDown() &&
           bitmap.opaqueFourthByte && !(bitmap.redMask | bitmap.greenMask | bitmap.blueMask);
}

QImage BitmapToImage(const TBitmap& bitmap) {
    if (bitmap.empty()) return {};
    if (DrawsInPlace(bitmap)) {
        // Read-only over the picture's rows: a 12-megapixel picture is not
        // copied (48 MB and a pass over them) before its first paint.
        return QImage(bitmap.bits().data(), bitmap.width(), bitmap.height(),
                      qsizetype(bitmap.stride()), QImage::Format_RGB32);
    }
    if (bitmap.bitsPerPixel() == 24 && bitmap.topDown() && bitmap.palette.empty()) {
        // Blue, green, red rows, top row first. Qt's own converter turns
        // them into RGB32 fastest.
        const QImage rows(bitmap.bits().data(), bitmap.width(), bitmap.height(),
                          qsizetype(bitmap.stride()), QImage::Format_BGR888);
        return rows.convertToFormat(QImage::Format_RGB32);
    }
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int32_t y = 0; y < bitmap.height(); ++y)
        bitmap.rowToArgb32(y, reinterpret_cast<uint32_t*>(image.scanLine(y)));
    return image;
}
