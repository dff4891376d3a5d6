#pragma once

#include <QImage>

class TBitmap;

/// The picture as a QImage for drawing (opaque RGB32, top row first); a
/// null image for an empty picture. Made once per load or decode.
QImage BitmapToImage(const TBitmap& bitmap);
