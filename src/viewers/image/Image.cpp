#include "viewers/image/Image.h"

// Qt
#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

// Project
#include "base/Bitmap.h"
#include "base/Error.h"
#include "base/ErrorReport.h"
#include "viewers/image/BitmapImage.h"
#include "viewers/image/QtPicture.h"
#include "viewers/image/core/FitRule.h"
#include "viewers/image/core/Graphic.h"
#include "viewers/image/core/Orientation.h"

namespace {
// The size of a new image control before any picture sizes it.
constexpr int kDefaultSize = 105;
}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("imgImageDisplay"));
    resize(kDefaultSize, kDefaultSize);
    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &TImage::nextFrame);
}

TImage::~TImage() = default;

void TImage::SetAlign(TControlAlign::TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    requestAlign();
    update();
}

void TImage::SetAutoSize(bool autoSize) {
    if (autoSize == FAutoSize) return;
    FAutoSize = autoSize;
    applyAutoSize();
    update();
}

void TImage::SetStretch(bool stretch) {
    if (stretch == FStretch) return;
    FStretch = stretch;
    update();
}

void TImage::SetProportional(bool proportional) {
    if (proportional == FProportional) return;
    FProportional = proportional;
    update();
}

void TImage::SetCenter(bool center) {
    if (center == FCenter) return;
    FCenter = center;
    update();
}

void TImage::SetLeft(int left) {
    move(left, y());
}

void TImage::SetTop(int top) {
    move(x(), top);
}

std::unique_ptr<TGraphic> TImage::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    // The drawable may read the old reader object's rows: it goes first.
    image_ = QImage();
    imageShare_ = TBudgetShare();
    std::unique_ptr<TGraphic> old = FPicture.TakeGraphic();
    FPicture.SetGraphic(std::move(graphic));
    PictureChanged();
    return old;
}

void TImage::PictureChanged() {
    image_ = QImage();
    imageShare_ = TBudgetShare();
    imageReady_ = false;
    decodeFailed_ = false;
    // A JPEG decodes on another core while the window goes on to its paint.
    if (TGraphic* graphic = FPicture.Graphic()) graphic->DecodeAhead();
    applyAutoSize();
    update();
    animate();
}

TQtPicture* TImage::animation() const {
    auto* picture = dynamic_cast<TQtPicture*>(FPicture.Graphic());
    return picture && picture->Animated() ? picture : nullptr;
}

void TImage::animate() {
    // Only while shown: an animation behind another page or control rests.
    if (TQtPicture* picture = animation(); picture && isVisible())
        frameTimer_->start(picture->FrameDelay());
    else
        frameTimer_->stop();
}

void TImage::nextFrame() {
    TQtPicture* picture = animation();
    if (!picture) return;
    if (picture->NextFrame()) {
        image_ = picture->Frame();
        update();
    }
    animate();
}

void TImage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    animate();
}

void TImage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    frameTimer_->stop();
}

void TImage::applyAutoSize() {
    // A client-aligned control keeps filling its parent.
    if (!FAutoSize || FAlign == TControlAlign::alClient) return;
    const int w = FPicture.Width(), h = FPicture.Height();
    // One picture pixel per device pixel: on a high-density screen the
    // picture takes fewer logical pixels.
    const qreal ratio = devicePixelRatioF();
    if (w > 0 && h > 0) resize(int(std::ceil(w / ratio)), int(std::ceil(h / ratio)));
}

void TImage::requestAlign() {
    if (QWidget* parent = parentWidget()) {
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(parent, &request);
    }
}

QRectF TImage::DestRect() const {
    // The rule works in device pixels: actual size is one picture pixel per
    // device pixel, and a stretched picture fits the page's device pixels.
    const qreal ratio = devicePixelRatioF();
    const TFitRect r =
        FitRect(FPicture.Width(), FPicture.Height(), qRound(width() * ratio),
                qRound(height() * ratio), TFitOptions{FStretch, FProportional, FCenter});
    return QRectF(r.left / ratio, r.top / ratio, r.width / ratio, r.height / ratio);
}

// The picture's pixels as a QImage: the reader's own rows where they can be
// drawn as they are, else a copy held in the picture's budget.
QImage TImage::drawingCopy(TGraphic& graphic) {
    // Read through Qt: its frame is drawn as it stands, alpha and all.
    if (auto* picture = dynamic_cast<TQtPicture*>(&graphic)) {
        imageShare_ = TBudgetShare();
        return picture->Frame();
    }
    const TBitmap& pixels = graphic.Pixels();
    imageShare_ = TBudgetShare();
    TBudgetShare share;
    if (!DrawsInPlace(pixels))
        share = graphic.Budget().Take(TBitmap::argb32Bytes(pixels.width(), pixels.height()));
    QImage image = BitmapToImage(pixels);
    if (image.isNull() && !pixels.empty()) throw EError(outOfMemoryMessage());
    imageShare_ = std::move(share);
    return image;
}

const QImage* TImage::drawable() {
    TGraphic* graphic = FPicture.Graphic();
    if (!graphic) return nullptr;
    if (!imageReady_) {
        if (!decodeFailed_) {
            try {
                image_ = drawingCopy(*graphic);
            } catch (...) {
                // This draw stops; the reader keeps what it decoded and does
                // not try again, so the next draw shows that and says nothing.
                decodeFailed_ = true;
                ReportError(std::current_exception());
                return nullptr;
            }
        } else {
            try {
                image_ = drawingCopy(*graphic);
            } catch (...) {
                image_ = QImage();  // reported once already
            }
        }
        imageReady_ = true;
    }
    return &image_;
}

void TImage::paintEvent(QPaintEvent*) {
    const QImage* image = drawable();
    if (!image || image->isNull()) return;
    const QRectF dest = DestRect();
    if (dest.isEmpty()) return;
    QPainter painter(this);
    // Nearest pixel: every destination pixel takes one source pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int orientation = FPicture.Graphic()->Orientation();
    if (orientation == 1) {
        painter.drawImage(dest, *image);
    } else {
        // Stored pixels turned upright, then scaled into the destination.
        const orientation::TMatrix m =
            orientation::Matrix(orientation, image->width(), image->height());
        painter.translate(dest.topLeft());
        painter.scale(double(dest.width()) / FPicture.Width(),
                      double(dest.height()) / FPicture.Height());
        painter.setTransform(QTransform(m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5]), true);
        painter.drawImage(QPoint(0, 0), *image);
    }
    painter.end();
    if (OnPainted) OnPainted();
}
