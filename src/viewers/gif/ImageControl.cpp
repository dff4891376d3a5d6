// Own
#include "viewers/gif/ImageControl.h"

// Qt
#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

// Project
#include "base/Error.h"

namespace {

constexpr int kDefaultSize = 105;

/** Sets a flag for a scope and puts its previous value back, also on failure. */
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : flag_(flag), previous_(flag) { flag = value; }
    ~FlagScope() { flag_ = previous_; }

private:
    bool& flag_;
    bool previous_;
};

}  // namespace

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
    resize(kDefaultSize, kDefaultSize);
    // The colour follows the parent's: the palette is inherited, and no
    // background of its own is filled.
    setAutoFillBackground(false);
}

TImageControl::~TImageControl() = default;

void TImageControl::SetAlign(TControlAlign::TAlign align) {
    if (align == align_) return;
    align_ = align;
    updateGeometry();
    if (parentWidget())
        QCoreApplication::postEvent(parentWidget(), new QEvent(QEvent::LayoutRequest));
}

void TImageControl::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    if (value) PictureChanged();
}

void TImageControl::SetLeft(int left) {
    move(left, y());
}

void TImageControl::SetTop(int top) {
    move(x(), top);
}

void TImageControl::PictureChanged() {
    setAttribute(Qt::WA_OpaquePaintEvent, PaintsOpaquely());
    const QSize picture = PictureSize();
    if (autoSize_ && !picture.isEmpty()) {
        const bool takeWidth = align_ == TControlAlign::alNone || align_ == TControlAlign::alLeft ||
                               align_ == TControlAlign::alRight;
        const bool takeHeight = align_ == TControlAlign::alNone || align_ == TControlAlign::alTop ||
                                align_ == TControlAlign::alBottom;
        resize(takeWidth ? picture.width() : width(), takeHeight ? picture.height() : height());
        updateGeometry();
    }
    update();
}

QSize TImageControl::sizeHint() const {
    const QSize picture = PictureSize();
    if (picture.isEmpty()) return size();
    QSize hint = size();
    if (align_ == TControlAlign::alNone || align_ == TControlAlign::alLeft ||
        align_ == TControlAlign::alRight)
        hint.setWidth(picture.width());
    if (align_ == TControlAlign::alNone || align_ == TControlAlign::alTop ||
        align_ == TControlAlign::alBottom)
        hint.setHeight(picture.height());
    return hint;
}

void TImageControl::paintEvent(QPaintEvent* event) {
    std::lock_guard lock(ViewLock);
    // Qt asks only for what is exposed and in sight.
    const QRect area = event->rect().intersected(rect());
    if (area.isEmpty()) return;
    paintArea_ = area;
    // Straight onto the window's back buffer, which reaches the screen in
    // one step once every control has painted: a frame change never
    // flickers, and no off-screen copy of our own is needed.
    QPainter surface(this);
    surface.setClipRect(area);
    FlagScope painting(painting_, true);
    PaintFrame(surface);
}
