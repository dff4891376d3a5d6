#pragma once

// C++
#include <functional>
#include <memory>
#include <string>

// Own
#include "viewers/gif/ImageControl.h"
#include "viewers/gif/core/GifComposer.h"
#include "viewers/image/Zoomable.h"

class TGIFImage;
class TThreadTimer;

/**
 * The animated GIF view (imgGifImageDisplay). It owns a TGIFImage, shows its
 * frames one after another on a TThreadTimer whose ticks run on the main
 * thread, composes each frame over the ones before it (TGIFComposer) and
 * either takes the GIF's logical screen size (AutoSize) or stretches the
 * picture over its area. The view learns of a new image only through the
 * image's change notification (ImageChanged). It follows the IMAGE page's
 * zoom buttons like the still image control (TZoomable).
 */
class TGIFAnimator : public TImageControl, public TZoomable {
    Q_OBJECT
    Q_PROPERTY(bool Animate READ Animate WRITE SetAnimate)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(int FrameIndex READ FrameIndex WRITE SetFrameIndex)
    Q_PROPERTY(bool Loop READ Loop WRITE SetLoop)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TGIFAnimator(QWidget* parent = nullptr);
    ~TGIFAnimator() override;

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
    bool Stretch() const { return stretch_; }
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

    /// One step of the animation (the timer's OnTimer).
    void TimerTick(QObject* sender);

    /// Where the picture goes in the client area.
    QRect DestRect() const;

    /// Draws the keyed picture scaled into the rectangle, leaving the pixels
    /// of the key colour out (they are the picture's transparent ones).
    static void DrawKeyed(QPainter& surface, const QRectF& dest, const QImage& picture,
                          const QRect& source, TColor key);

    // The zoom buttons' steps.
    QWidget* Control() override { return this; }
    void SetAlign(TControlAlign::TAlign align) override { TImageControl::SetAlign(align); }
    void SetAutoSize(bool value) override { TImageControl::SetAutoSize(value); }
    void SetLeft(int left) override { TImageControl::SetLeft(left); }
    void SetTop(int top) override { TImageControl::SetTop(top); }

    TThreadTimer& Timer() { return *timer_; }
    /// The last composed picture (CacheBitmap, CacheIndex, CacheKey).
    const TGIFComposer& Cache() const { return cache_; }

protected:
    QSize PictureSize() const override;
    void PaintFrame(QPainter& surface) override;
    bool PaintsOpaquely() const override;

private:
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
    bool stretch_ = false;
    bool transparent_ = true;
    uint64_t paints_ = 0;
    bool broken_ = false;  // PaintFrame runs, to tell whether a repaint drew
};
