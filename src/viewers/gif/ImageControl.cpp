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
    if (align == FAlign) return;
    FAlign = align;
    updateGeometry();
    if (parentWidget())
        QCoreApplication::postEvent(parentWidget(), new QEvent(QEvent::LayoutRequest));
}

void TImageControl::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    if (value) PictureChanged();
}

void TImageControl::SetLeft(int left) {
    move(left, y());
}

void TImageControl::SetTop(int top) {
    move(x(), top);
}

void TImageControl::PictureChanged() {
    const QSize picture = PictureSize();
    if (FAutoSize && !picture.isEmpty()) {
        const bool takeWidth = FAlign == TControlAlign::alNone || FAlign == TControlAlign::alLeft ||
                               FAlign == TControlAlign::alRight;
        const bool takeHeight = FAlign == TControlAlign::alNone || FAlign == TControlAlign::alTop ||
                                FAlign == TControlAlign::alBottom;
        resize(takeWidth ? picture.width() : width(), takeHeight ? picture.height() : height());
        updateGeometry();
    }
    update();
}

QSize TImageControl::sizeHint() const {
    const QSize picture = PictureSize();
    if (picture.isEmpty()) return size();
    QSize hint = size();
    if (FAlign == TControlAlign::alNone || FAlign == TControlAlign::alLeft ||
        FAlign == TControlAlign::alRight)
        hint.setWidth(picture.width());
    if (FAlign == TControlAlign::alNone || FAlign == TControlAlign::alTop ||
        FAlign == TControlAlign::alBottom)
        hint.setHeight(picture.height());
    return hint;
}

void TImageControl::PaintBehind(QPainter& surface) {
    const QPainter::CompositionMode mode = surface.compositionMode();
    surface.setCompositionMode(QPainter::CompositionMode_Source);
    surface.fillRect(rect(), Qt::transparent);
    surface.setCompositionMode(mode);
}

void TImageControl::paintInto(QPainter& surface) {
    surface.setClipRect(paintArea_);
    surface.fillRect(paintArea_, palette().color(backgroundRole()));
    FlagScope painting(FPainting, true);
    PaintFrame(surface);
}

void TImageControl::DropPaintBuffer() {
    offscreen_ = QImage();
    offscreenShare_ = TBudgetShare();
}

void TImageControl::paintEvent(QPaintEvent* event) {
    std::lock_guard lock(ViewLock);
    // Qt asks only for what is exposed and in sight.
    const QRect area = event->rect().intersected(rect());
    if (area.isEmpty()) return;
    paintArea_ = area;
    if (FDrawing) {
        QPainter surface(this);
        paintInto(surface);
        return;
    }
    // The paint goes to an off-screen picture first and reaches the screen
    // in one step, so a frame change never flickers.
    FlagScope drawing(FDrawing, true);
    if (offscreen_.width() < area.width() || offscreen_.height() < area.height()) {
        const QSize size = area.size().expandedTo(offscreen_.size());
        DropPaintBuffer();
        try {
            if (TMemoryBudget* budget = PictureBudget())
                offscreenShare_ = budget->Take(
                    TMemoryBudget::Bytes(uint64_t(size.width()), uint64_t(size.height()), 4));
            offscreen_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        } catch (const EError&) {
        }
    }
    if (offscreen_.isNull()) {
        // No room for the off-screen picture: straight to the control.
        DropPaintBuffer();
        QPainter surface(this);
        paintInto(surface);
        return;
    }
    {
        QPainter buffer(&offscreen_);
        buffer.translate(-area.topLeft());
        paintInto(buffer);
    }
    QPainter surface(this);
    surface.drawImage(area.topLeft(), offscreen_, QRect(QPoint(0, 0), area.size()));
}
