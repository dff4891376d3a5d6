// Own
#include "viewers/gif/GifAnimator.h"

#include "viewers/gif/ThreadTimer.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <cmath>

// Qt
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

// C++
#include <algorithm>

namespace {

constexpr int kMinDelayMs = 50;
constexpr int kMaxDelayMs = 10000;

TColor qColorToColor(const QColor& c) {
    return RGBColor(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
}

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

TGIFAnimator::TGIFAnimator(QWidget* parent)
    : TPictureControl(parent),
      timer_(std::make_unique<TThreadTimer>()),
      image_(std::make_unique<TGIFImage>()) {
    // The colour follows the parent's: the palette is inherited, and no
    // background of its own is filled.
    setAutoFillBackground(false);
    image_->OnChange = [this] { ImageChanged(); };
}

TGIFAnimator::~TGIFAnimator() {
    OnFrameChanged = nullptr;
    OnStop = nullptr;
    timer_->SetEnabled(false);
    timer_->SetOnTimer(nullptr);
    animate_ = false;
    // Joins the worker before anything it could reach goes away.
    timer_.reset();
    cache_.Clear();
    image_->OnChange = nullptr;
    image_.reset();
}

void TGIFAnimator::SetImage(const TGIFImage& image) {
    std::lock_guard lock(ViewLock);
    // Assign notifies: ImageChanged takes the lock again.
    image_->Assign(image);
}

void TGIFAnimator::LoadFromFile(const std::string& path) {
    auto loaded = std::make_unique<TGIFImage>();
    loaded->LoadFromFile(path);
    {
        std::lock_guard lock(ViewLock);
        // What was made of the old image goes with it, before it goes.
        cache_.Clear();
        image_->OnChange = nullptr;
        image_ = std::move(loaded);
        image_->OnChange = [this] { ImageChanged(); };
    }
    ImageChanged();
}

void TGIFAnimator::SetAnimate(bool value) {
    if (value == animate_) return;
    if (value) {
        timer_->SetOnTimer([this](QObject* sender) { TimerTick(sender); });
        timer_->SetEnabled(true);
        animate_ = timer_->Enabled();
    } else {
        timer_->SetEnabled(false);
        timer_->SetOnTimer(nullptr);
        animate_ = false;
        if (OnStop) OnStop(this);
        PictureChanged();
    }
}

void TGIFAnimator::SetCenter(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == center_) return;
        center_ = value;
    }
    displayChanged();
}

void TGIFAnimator::SetFrameIndex(int value) {
    {
        std::lock_guard lock(ViewLock);
        // Only a frame of the image: ticks count on from the index, and a
        // stored index outside the frames would never be drawn.
        if (value == frameIndex_ || value < 0 || value >= image_->FrameCount()) return;
        frameIndex_ = value;
        timer_->SetInterval(FrameDelay(value));
    }
    if (OnFrameChanged) OnFrameChanged(this);
    PictureChanged();
}

void TGIFAnimator::SetStretch(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == Stretch()) return;
        TPictureControl::SetStretch(value);
    }
    displayChanged();
}

void TGIFAnimator::SetTransparent(bool value) {
    {
        std::lock_guard lock(ViewLock);
        if (value == transparent_) return;
        transparent_ = value;
        // Whether the key is left out is settled when a picture is built.
        cache_.Clear();
    }
    displayChanged();
}

void TGIFAnimator::PictureChanged() {
    setAttribute(Qt::WA_OpaquePaintEvent, PaintsOpaquely());
    ApplyAutoSize();
    update();
}

void TGIFAnimator::displayChanged() {
    PictureChanged();
    // While animating the change shows at once, not only at the next tick.
    if (animate_ && isVisible()) repaint();
}

int TGIFAnimator::FrameDelay(int i) const {
    const int count = image_->FrameCount();
    if (i < 0 || i >= count || count < 2) return 0;
    return std::clamp(int(image_->Frame(i).DelayMs), kMinDelayMs, kMaxDelayMs);
}

void TGIFAnimator::ImageChanged() {
    {
        std::lock_guard lock(ViewLock);
        cache_.Clear();
        broken_ = false;
        frameIndex_ = image_->CurrentFrame;
        if (frameIndex_ >= 0 && image_->FrameCount() > 0)
            timer_->SetInterval(FrameDelay(frameIndex_));
    }
    PictureChanged();
}

bool TGIFAnimator::visibleFlag() const {
    // The control's own flag: hidden behind another page it still counts.
    return parentWidget() && isVisibleTo(parentWidget());
}

void TGIFAnimator::TimerTick(QObject* sender) {
    if (Painting() || !visibleFlag() || image_->FrameCount() < 2) return;

    std::lock_guard lock(ViewLock);
    const int count = image_->FrameCount();
    frameIndex_ = frameIndex_ < count - 1 ? frameIndex_ + 1 : 0;
    {
        // Each frame stays up for its own delay, counted from this tick,
        // whatever happens while it is drawn.
        struct IntervalScope {
            TGIFAnimator* view;
            ~IntervalScope() {
                if (view->frameIndex_ >= 0 && view->frameIndex_ < view->image_->FrameCount())
                    view->timer_->SetInterval(view->FrameDelay(view->frameIndex_));
            }
        } interval{this};
        if (OnFrameChanged) OnFrameChanged(this);
        const uint64_t paints = paints_;
        if (isVisible()) repaint();
        if (paints_ == paints && !image_->Empty()) {
            // Not drawn (behind another page, or not on screen yet): the
            // frames go on being composed all the same, within what was
            // composed last, which costs nothing when nothing was.
            TColor key = clNone;
            compose(key, TPixelRect{});
        }
    }
    if (!loop_ && frameIndex_ == 0) SetAnimate(false);
}

const TComposedPicture* TGIFAnimator::compose(TColor& key, const TPixelRect& window) {
    if (broken_) {
        // A frame of this image failed to decode and was reported: what was
        // composed before stays on show, and no error box comes at every paint.
        key = cache_.CacheKey();
        return cache_.CacheBitmap();
    }
    try {
        return &cache_.ComposeFrame(*image_, frameIndex_, transparent_, key, &window);
    } catch (...) {
        broken_ = true;
        throw;
    }
}

TPixelRect TGIFAnimator::pictureWindow(const QRect& area) const {
    const int w = image_->LogicalWidth, h = image_->LogicalHeight;
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
    return !image_->Empty() && image_->LogicalWidth > 0 && image_->LogicalHeight > 0 &&
           !(image_->Transparent() && transparent_);
}

QSize TGIFAnimator::PictureSize() const {
    if (image_->Empty()) return {};
    // One picture pixel per device pixel, also on a high-density screen.
    const qreal ratio = devicePixelRatioF();
    return {int(std::ceil(image_->LogicalWidth / ratio)),
            int(std::ceil(image_->LogicalHeight / ratio))};
}

QRectF TGIFAnimator::pictureRect(const QRect& dest) const {
    if (Stretch()) return dest;
    const qreal ratio = devicePixelRatioF();
    return QRectF(dest.topLeft(),
                  QSizeF(image_->LogicalWidth / ratio, image_->LogicalHeight / ratio));
}

QRect TGIFAnimator::DestRect() const {
    const QSize picture = PictureSize();
    const int w = picture.width(), h = picture.height();
    if (Stretch()) return rect();
    if (center_) return {(width() - w) / 2, (height() - h) / 2, w, h};
    return {0, 0, w, h};
}

void TGIFAnimator::paintEvent(QPaintEvent* event) {
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

void TGIFAnimator::PaintFrame(QPainter& surface) {
    std::lock_guard lock(ViewLock);
    ++paints_;
    TGIFImage& image = *image_;
    const bool empty = image.Empty();
    if (empty || image.LogicalWidth < 1 || image.LogicalHeight < 1) return;

    cache_.WindowColor = qColorToColor(palette().color(QPalette::Base));
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
    if (key != clNone && transparent_) {
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
