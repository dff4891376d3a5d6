#include "viewers/image/PictureControl.h"

// Qt
#include <QCoreApplication>
#include <QEvent>

namespace {
// The size of a new picture control before any picture sizes it.
constexpr int kDefaultSize = 105;
}  // namespace

TPictureControl::TPictureControl(QWidget* parent) : QWidget(parent) {
    resize(kDefaultSize, kDefaultSize);
}

TPictureControl::~TPictureControl() = default;

void TPictureControl::SetAlign(TControlAlign::TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (QWidget* parent = parentWidget()) {
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(parent, &request);
    }
    update();
}

void TPictureControl::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    ApplyAutoSize();
    update();
}

void TPictureControl::SetStretch(bool stretch) {
    if (stretch == stretch_) return;
    stretch_ = stretch;
    update();
}

void TPictureControl::SetLeft(int left) {
    move(left, y());
}

void TPictureControl::SetTop(int top) {
    move(x(), top);
}

void TPictureControl::ApplyAutoSize() {
    if (!autoSize_) return;
    const QSize picture = PictureSize();
    if (picture.isEmpty()) return;
    const bool parentSetsWidth = align_ == TControlAlign::alTop ||
                                 align_ == TControlAlign::alBottom ||
                                 align_ == TControlAlign::alClient;
    const bool parentSetsHeight = align_ == TControlAlign::alLeft ||
                                  align_ == TControlAlign::alRight ||
                                  align_ == TControlAlign::alClient;
    resize(parentSetsWidth ? width() : picture.width(),
           parentSetsHeight ? height() : picture.height());
}
