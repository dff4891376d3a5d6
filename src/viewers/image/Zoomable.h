#pragma once

#include "viewers/image/ControlAlign.h"

class QWidget;

/**
 * An image control on the IMAGE page that follows the "Actual size" and
 * "Stretch" buttons. The page keeps a list of them and runs each button's
 * steps on every control in the order they were added.
 *
 * A control that changes its Align sends a QEvent::LayoutRequest to its
 * parent, so that the scroll box places it at once.
 */
class TZoomable {
public:
    virtual ~TZoomable() = default;

    virtual QWidget* Control() = 0;
    virtual void SetAlign(TControlAlign::TAlign align) = 0;
    virtual void SetAutoSize(bool autoSize) = 0;
    virtual void SetStretch(bool stretch) = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
};
