// Own
#include "viewers/gif/GifAnimator.h"

#include "viewers/gif/ThreadTimer.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <cmath>

// Qt
#include <QPainter>
#include <QRegion>
#include <QThread>

// C++
#include <algorithm>

namespace {

constexpr int kMinDelayMs = 50;
constexpr int kMaxDelayMs = 10000;

TColor qColorToColor(const QColor& c) {
    return RGBColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

}  // namespace

TGIFAnimator::TGIFAnimator(QWidget* parent)
    : TImageControl(parent),
      FTimer(std::make_unique<TThreadTimer>()),
      FImage(std::make_unique<TGIFImage>()) {
    SetAutoSize(true);
    FImage->OnChange = [this] { ImageChanged(); };
}

TGIFAnimator::~TGIFAnimator() {
    OnChange = nullptr;
    OnFrameChanged = nullptr;
    OnStart = nullptr;
    OnStop = nullptr;
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer(nullptr);
    FAnimate = false;
    // Joins the worker before anything it could reach goes away.
    FTimer.reset();
    FCache.Clear();
    FImage->OnChange = nullptr;
    FImage.reset();
}

void TGIFAnimator::SetImage(const TGIFImage& image) {
    std::lock_guard lock(ViewLock);
    // Assign notifies: ImageChanged takes the lock again.
    FImage->Assign(image);
}

void TGIFAnimator::LoadFromFile(const std::string& path) {
    auto loaded = std::make_unique<TGIFImage>();
    loaded->LoadFromFile(path);
    {
        std::lock_guard lock(ViewLock);
        // What was made of the old image goes with it, before it goes.
        FCache.Clear();
        FImage->OnChange = nullptr;
        FImage = std::move(loaded);
        FImage->OnChange = [this] { ImageChanged(); };
    }
    ImageChanged();
}

void TGIFAnimator::SetAnimate(bool value) {
    if (value == FAnimate) return;
    if (value) {
        FTimer->SetOnTimer([this](QObject* sender) { TimerTick(sender); });
        FTimer->SetEnabled(true);
        FAnimate = FTimer->Enabled();
        if (OnStart) OnStart(this);
    } else {
        FTimer->SetEnabled(false);
        FTimer->SetOnTimer(nullptr);
        FAnimate = false;
        if (OnStop) OnStop(this);
        PictureChanged();
    }
}

void TGIFAnimator::SetAsyncDrawing(bool value) {
    std::lock_guard lock(ViewLock);
    FAsyncDrawing = value;
    FTimer->SetSyncEvent(!value);
}

void TGIFAnimator::SetCenter(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == FCenter) return;
        FCenter = value;
    }
    displayChanged();
}

void TGIFAnimator::SetFrameIndex(int value) {
    {
        std::lock_guard lock(ViewLock);
        // Only a frame of the image: ticks count on from the index, and a
        // stored index outside the frames would never be drawn.
        if (value == FFrameIndex || value < 0 || value >= FImage->FrameCount()) return;
        FFrameIndex = value;
        FTimer->SetInterval(FrameDelay(value));
    }
    if (OnFrameChanged) OnFrameChanged(this);
    PictureChanged();
}

void TGIFAnimator::SetStretch(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == FStretch) return;
        FStretch = value;
    }
    displayChanged();
}

void TGIFAnimator::SetTransparent(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == FTransparent) return;
        FTransparent = value;
        // Whether the key is left out is settled when a picture is built.
        FCache.Clear();
    }
    displayChanged();
}

void TGIFAnimator::displayChanged() {
    PictureChanged();
    // While animating the change shows at once, not only at the next tick.
    if (FAnimate && isVisible()) repaint();
}

int TGIFAnimator::FrameDelay(int i) const {
    const int count = FImage->FrameCount();
    if (i < 0 || i >= count || count < 2) return 0;
    return std::clamp(int(FImage->Frame(i).DelayMs), kMinDelayMs, kMaxDelayMs);
}

void TGIFAnimator::ImageChanged() {
    {
        std::lock_guard lock(ViewLock);
        FCache.Clear();
        broken_ = false;
        FFrameIndex = FImage->CurrentFrame;
        if (FFrameIndex >= 0 && FImage->FrameCount() > 0)
            FTimer->SetInterval(FrameDelay(FFrameIndex));
    }
    PictureChanged();
    if (OnChange) OnChange(this);
}

bool TGIFAnimator::visibleFlag() const {
    // The control's own flag: hidden behind another page it still counts.
    return parentWidget() && isVisibleTo(parentWidget());
}

void TGIFAnimator::TimerTick(QObject* sender) {
    if (QThread::currentThread() != thread()) {
        // A tick off the main thread (AsyncDrawing): the widgets are the main
        // thread's, so the step is posted there. The destructor joins the
        // worker before this object goes, so posting to it is safe.
        QMetaObject::invokeMethod(
            this, [this, sender] { TimerTick(sender); }, Qt::QueuedConnection);
        return;
    }
    if (Painting() || !visibleFlag() || FImage->FrameCount() < 2) return;

    std::lock_guard lock(ViewLock);
    const int count = FImage->FrameCount();
    FFrameIndex = FFrameIndex < count - 1 ? FFrameIndex + 1 : 0;
    {
        // Each frame stays up for its own delay, counted from this tick,
        // whatever happens while it is drawn.
        struct IntervalScope {
            TGIFAnimator* view;
            ~IntervalScope() {
                if (view->FFrameIndex >= 0 && view->FFrameIndex < view->FImage->FrameCount())
                    view->FTimer->SetInterval(view->FrameDelay(view->FFrameIndex));
            }
        } interval{this};
        if (OnFrameChanged) OnFrameChanged(this);
        const uint64_t paints = paints_;
        if (isVisible()) repaint();
        if (paints_ == paints && !FImage->Empty()) {
            // Not drawn (behind another page, or not on screen yet): the
            // frames go on being composed all the same, within what was
            // composed last, which costs nothing when nothing was.
            TColor key = clNone;
            compose(key, TPixelRect{});
        }
    }
    if (!FLoop && FFrameIndex == 0) SetAnimate(false);
}

const TComposedPicture* TGIFAnimator::compose(TColor& key, const TPixelRect& window) {
    if (broken_) {
        // A frame of this image failed to decode and was reported: what was
        // composed before stays on show, and no error box comes at every paint.
        key = FCache.CacheKey();
        return FCache.CacheBitmap();
    }
    try {
        return &FCache.ComposeFrame(*FImage, FFrameIndex, FTransparent, key, &window);
    } catch (...) {
        broken_ = true;
        throw;
    }
}

TPixelRect TGIFAnimator::pictureWindow(const QRect& area) const {
    const int w = FImage->LogicalWidth, h = FImage->LogicalHeight;
    const QRect dest = DestRect();
    const QRect shown = area.intersected(dest);
    if (shown.isEmpty() || dest.isEmpty()) return {};
    if (dest.width() == w && dest.height() == h)
        return {shown.x() - dest.x(), shown.y() - dest.y(), shown.width(), shown.height()};
    // Scaled: the source pixels the shown part samples, with a pixel to spare
    // on each side for the rounding of the scaling.
    auto from = [](int offset, int picture, int destination) {
        return int(int64_t(offset) * picture / destination);
    };
    const int x0 = from(shown.left() - dest.x(), w, dest.width()) - 1;
    const int y0 = from(shown.top() - dest.y(), h, dest.height()) - 1;
    const int x1 = from(shown.right() + 1 - dest.x(), w, dest.width()) + 2;
    const int y1 = from(shown.bottom() + 1 - dest.y(), h, dest.height()) + 2;
    return TPixelRect{x0, y0, x1 - x0, y1 - y0}.Intersected({0, 0, w, h});
}

bool TGIFAnimator::PaintsOpaquely() const {
    // A keyed picture lets the background show through its key colour.
    return !FImage->Empty() && FImage->LogicalWidth > 0 && FImage->LogicalHeight > 0 &&
           !(FImage->Transparent() && FTransparent);
}

QSize TGIFAnimator::PictureSize() const {
    if (FImage->Empty()) return {};
    // One picture pixel per device pixel, also on a high-density screen.
    const qreal ratio = devicePixelRatioF();
    return {int(std::ceil(FImage->LogicalWidth / ratio)),
            int(std::ceil(FImage->LogicalHeight / ratio))};
}

QRectF TGIFAnimator::pictureRect(const QRect& dest) const {
    if (FStretch) return dest;
    const qreal ratio = devicePixelRatioF();
    return QRectF(dest.topLeft(),
                  QSizeF(FImage->LogicalWidth / ratio, FImage->LogicalHeight / ratio));
}

QRect TGIFAnimator::DestRect() const {
    const QSize picture = PictureSize();
    const int w = picture.width(), h = picture.height();
    if (FStretch) return rect();
    if (FCenter) return {(width() - w) / 2, (height() - h) / 2, w, h};
    return {0, 0, w, h};
}

void TGIFAnimator::PaintFrame(QPainter& surface) {
    std::lock_guard lock(ViewLock);
    ++paints_;
    TGIFImage& image = *FImage;
    const bool empty = image.Empty();
    if (image.Transparent() || empty) PaintBehind(surface);
    if (empty || image.LogicalWidth < 1 || image.LogicalHeight < 1) return;

    FCache.WindowColor = qColorToColor(palette().color(QPalette::Base));
    TColor key = clNone;
    const TComposedPicture* cached = compose(key, pictureWindow(PaintArea()));
    if (!cached) return;
    const TComposedPicture& composed = *cached;
    // The composed pixels are drawn in place, without a copy.
    const QImage picture(
        reinterpret_cast<const uchar*>(composed.Pixels.data()), composed.Width, composed.Height,
        qsizetype(composed.Width) * 4,
        composed.Keyed ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QRect dest = DestRect();
    if (PaintsOpaquely()) {
        // Nothing was painted beneath: the control's colour where the
        // picture does not reach.
        const QColor colour = palette().color(backgroundRole());
        for (const QRect& r : QRegion(PaintArea()).subtracted(dest)) surface.fillRect(r, colour);
    }
    surface.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (key != clNone && FTransparent) {
        DrawKeyed(surface, pictureRect(dest), picture, picture.rect(), key);
    } else {
        surface.drawImage(pictureRect(dest), picture, picture.rect());
    }
}

void TGIFAnimator::DrawKeyed(QPainter& surface, const QRectF& dest, const QImage& picture,
                             const QRect& source, TColor) {
    // The key's pixels are stored fully transparent: blending over what is
    // there leaves them unchanged, and mask and image scale alike.
    const QPainter::CompositionMode mode = surface.compositionMode();
    surface.setCompositionMode(QPainter::CompositionMode_SourceOver);
    surface.drawImage(dest, picture, source);
    surface.setCompositionMode(mode);
}
