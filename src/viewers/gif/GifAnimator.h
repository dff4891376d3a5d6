#pragma once

// Qt
#include <QRect>

// C++
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// Own
#include "viewers/gif/core/GifComposer.h"
#include "viewers/image/PictureControl.h"

class QPainter;

class TGIFImage;
class TThreadTimer;

/**
 * The animated GIF view (imgGifImageDisplay). It owns a TGIFImage, shows its
 * frames one after another on a TThreadTimer whose ticks run on the main
 * thread, composes each frame over the ones before it (TGIFComposer) and
 * either takes the GIF's logical screen size (AutoSize) or stretches the
 * picture over its area. The view learns of a new image only through the
 * image's change notification (ImageChanged). It follows the IMAGE page's
 * zoom buttons like the still picture control (TPictureControl).
 *
 * The view fills no background of its own: unless the picture covers every
 * pixel asked for (PaintsOpaquely), the parent's background is painted
 * beneath it, so what lies behind shows through wherever it draws nothing.
 * It paints straight into the window's back buffer, which reaches the screen
 * in one step: a frame change shows without flicker. Only the part asked for
 * is painted (PaintArea): a view as large as its picture inside a scroll box
 * is mostly out of sight.
 */
class TGIFAnimator : public TPictureControl {
    Q_OBJECT
    Q_PROPERTY(bool Animate READ Animate WRITE SetAnimate)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(int FrameIndex READ FrameIndex WRITE SetFrameIndex)
    Q_PROPERTY(bool Loop READ Loop WRITE SetLoop)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TGIFAnimator(QWidget* parent = nullptr);
    ~TGIFAnimator() override;

    /// Guards the view's state; recursive, taken before any surface.
    std::recursive_mutex ViewLock;

    /// The picture, owned.
    TGIFImage& Image() { return *image_; }
    /// Copies another image into the view's own.
    void SetImage(const TGIFImage& image);

    /// Reads a GIF file and takes it over only when it loaded: after a failure
    /// the view keeps the image it had, untouched, and goes on with it. The
    /// loaded image is taken over as it is, not copied.
    void LoadFromFile(const std::string& path);

    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    int FrameIndex() const { return frameIndex_; }
    /// Shows frame `value` when it is another frame of the image: the timer
    /// takes its delay, OnFrameChanged fires and the picture is redrawn.
    /// Values outside the frames are ignored.
    void SetFrameIndex(int value);
    bool Loop() const { return loop_; }
    void SetLoop(bool value) { loop_ = value; }
    void SetStretch(bool value) override;
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    TNotifyEvent OnFrameChanged;
    TNotifyEvent OnStop;

    /// Milliseconds frame i stays up: its delay within 50 to 10000; 0 for an
    /// index outside the frames or an image of fewer than two frames.
    int FrameDelay(int i) const;

    /// Restarts at the image's current frame after a load.
    void ImageChanged();
    /// After the picture or the way it is shown changed: whether the paint
    /// covers what it is asked for, auto-size, repaint.
    void PictureChanged();
    /// True while the paint routine runs.
    bool Painting() const { return painting_; }

    /// One step of the animation (the timer's OnTimer).
    void TimerTick(QObject* sender);

    /// Where the picture goes in the client area.
    QRect DestRect() const;

    /// Draws the keyed picture scaled into the rectangle, leaving the pixels
    /// of the key colour out (they are the picture's transparent ones).
    static void DrawKeyed(QPainter& surface, const QRectF& dest, const QImage& picture,
                          const QRect& source, TColor key);

    TThreadTimer& Timer() { return *timer_; }
    /// The last composed picture (CacheBitmap, CacheIndex, CacheKey).
    const TGIFComposer& Cache() const { return cache_; }

protected:
    QSize PictureSize() const override;
    void paintEvent(QPaintEvent* event) override;

private:
    /// Draws the picture onto the surface, within PaintArea.
    void PaintFrame(QPainter& surface);
    /// Whether the paint covers every pixel it is asked for, so that nothing
    /// needs painting beneath it first.
    bool PaintsOpaquely() const;
    /// The part of the view (its own coordinates) that the paint under way
    /// draws; the surface is clipped to it.
    QRect PaintArea() const { return paintArea_; }

    bool visibleFlag() const;
    /// After Stretch, Center or Transparent changed: auto-size and repaint.
    void displayChanged();
    /// The picture of FrameIndex within `window` (picture coordinates), or
    /// the last one composed once a frame of this image has failed to decode
    /// (nullptr when there is none).
    const TComposedPicture* compose(TColor& key, const TPixelRect& window);
    /// The part of the picture that the area of the control shows.
    TPixelRect pictureWindow(const QRect& area) const;
    /// Where the whole picture is drawn within dest, to the device pixel.
    QRectF pictureRect(const QRect& dest) const;

    std::unique_ptr<TThreadTimer> timer_;
    std::unique_ptr<TGIFImage> image_;
    TGIFComposer cache_;
    bool animate_ = false;
    bool center_ = false;
    int frameIndex_ = 0;
    bool loop_ = true;
    bool transparent_ = true;
    uint64_t paints_ = 0;  // PaintFrame runs, to tell whether a repaint drew
    bool broken_ = false;  // a frame of this image failed to decode
    bool painting_ = false;
    QRect paintArea_;
};
