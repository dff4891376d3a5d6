#pragma once

#include <QRect>

#include <algorithm>

/// A window's frame moved onto an area of the screen, shrunk only where it
/// cannot fit: its size is kept wherever it can be.
inline QRect FitOnto(const QRect& frame, const QRect& area) {
    if (area.isEmpty()) return frame;
    QRect fitted = frame;
    fitted.setWidth(std::min(fitted.width(), area.width()));
    fitted.setHeight(std::min(fitted.height(), area.height()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}
