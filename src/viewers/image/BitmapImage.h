#pragma once

#include <QImage>

class TBitmap;

/// Whether BitmapToImage draws the picture's own rows rather than a copy:
/// 32 bits, top row first, no masks, every fourth byte 0xFF (a decoded JPEG).
bool DrawsInPlace(const TBitmap& bitmap);

/// The picture as a QImage for drawing (opaque RGB32, top row first); a
/// null image for an empty picture. Made once per load or decode. When
/// DrawsInPlace, the image reads the bitmap's memory, which must outlive it
/// and stay unchanged; otherwise it is a copy.
QImage BitmapToImage(const TBitmap& bitmap);
