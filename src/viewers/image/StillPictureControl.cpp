#include "viewers/image/StillPictureControl.h"

// Qt
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

TStillPictureControl::TStillPictureControl(QWidget* parent) : TPictureControl(parent) {
    setObjectName(QStringLiteral("imgImageDisplay"));
    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &TStillPictureControl::nextFrame);
}

TStillPictureControl::~TStillPictureControl() = default;

std::unique_ptr<TGraphic> TStillPictureControl::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    // The drawable may read the old reader object's rows: it goes first.
    image_ = QImage();
    imageShare_ = TBudgetShare();
    std::unique_ptr<TGraphic> old = picture_.TakeGraphic();
    picture_.SetGraphic(std::move(graphic));
    PictureChanged();
    return old;
}

void TStillPictureControl::PictureChanged() {
    image_ = QImage();
    imageShare_ = TBudgetShare();
    imageReady_ = false;
    decodeFailed_ = false;
    // A JPEG decodes on another core while the window goes on to its paint.
    if (TGraphic* graphic = picture_.Graphic()) graphic->DecodeAhead();
    ApplyAutoSize();
    update();
    animate();
}

TQtPicture* TStillPictureControl::animation() const {
    auto* picture = dynamic_cast<TQtPicture*>(picture_.Graphic());
    return picture && picture->Animated() ? picture : nullptr;
}

void TStillPictureControl::animate() {
    // Only while shown: an animation behind another page or control rests.
    if (TQtPicture* picture = animation(); picture && isVisible())
        frameTimer_->start(picture->FrameDelay());
    else
        frameTimer_->stop();
}

void TStillPictureControl::nextFrame() {
    TQtPicture* picture = animation();
    if (!picture) return;
    if (picture->NextFrame()) {
        image_ = picture->Frame();
        update();
    }
    animate();
}

void TStillPictureControl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    animate();
}

void TStillPictureControl::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    frameTimer_->stop();
}

QSize TStillPictureControl::PictureSize() const {
    // One picture pixel per device pixel: on a high-density screen the
    // picture takes fewer logical pixels.
    const int w = picture_.Width(), h = picture_.Height();
    if (w <= 0 || h <= 0) return {};
    const qreal ratio = devicePixelRatioF();
    return {int(std::ceil(w / ratio)), int(std::ceil(h / ratio))};
}

QRectF TStillPictureControl::DestRect() const {
    // The rule works in device pixels: actual size is one picture pixel per
    // device pixel, and a stretched picture fits the page's device pixels.
    // A stretched still picture keeps its proportions and its top-left corner.
    const qreal ratio = devicePixelRatioF();
    const TFitRect r = FitRect(picture_.Width(), picture_.Height(), qRound(width() * ratio),
                               qRound(height() * ratio),
                               TFitOptions{Stretch(), /*proportional=*/true, /*center=*/false});
    return QRectF(r.left / ratio, r.top / ratio, r.width / ratio, r.height / ratio);
}

// The picture's pixels as a QImage: the reader's own rows where they can be
// drawn as they are, else a copy held in the picture's budget.
QImage TStillPictureControl::drawingCopy(TGraphic& graphic) {
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

const QImage* TStillPictureControl::drawable() {
    TGraphic* graphic = picture_.Graphic();
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

void TStillPictureControl::paintEvent(QPaintEvent*) {
    const QImage* image = drawable();
    if (!image || image->isNull()) return;
    const QRectF dest = DestRect();
    if (dest.isEmpty()) return;
    QPainter painter(this);
    // Nearest pixel: every destination pixel takes one source pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int orientation = picture_.Graphic()->Orientation();
    if (orientation == 1) {
        painter.drawImage(dest, *image);
    } else {
        // Stored pixels turned upright, then scaled into the destination.
        const orientation::TMatrix m =
            orientation::Matrix(orientation, image->width(), image->height());
        painter.translate(dest.topLeft());
        painter.scale(double(dest.width()) / picture_.Width(),
                      double(dest.height()) / picture_.Height());
        painter.setTransform(QTransform(m.m[0], m.m[1], m.m[2], m.m[3], m.m[4], m.m[5]), true);
        painter.drawImage(QPoint(0, 0), *image);
    }
    painter.end();
    if (OnPainted) OnPainted();
}
