#pragma once

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/MemoryBudget.h"
#include "viewers/image/core/Graphic.h"

class QBuffer;
class QImageReader;

/**
 * A picture read through Qt's image readers (PNG, WebP, SVG, TIFF, ICO and
 * whatever else the plugins read), within the picture's budget: the file's
 * bytes are held, the header's size is checked against the budget before
 * anything is decoded (an SVG is rendered at its own size), and Qt's own
 * allocation limit is set to the budget as well, for readers that learn the
 * size only while decoding. An SVG whose references would keep the renderer
 * busy is refused before it is parsed (svg::DrawnElements). Loading decodes the first frame, so a
 * damaged file fails its load with the reader's own error text.
 *
 * The frame is drawn as Qt decoded it, converted to sRGB when the file has a
 * colour profile Qt can read, with its alpha channel (premultiplied) over
 * what lies behind the control. An animated file (WebP, MNG) steps
 * through its frames with NextFrame, which reads them from the held bytes on
 * the thread that animates; the loading thread keeps no reader.
 */
class TQtPicture : public TGraphic {
public:
    /// `format`: the Qt format name the extension stands for ("png").
    explicit TQtPicture(std::string format);
    ~TQtPicture() override;

    void LoadFromFile(const std::string& path) override;
    /// The same from a file's bytes, held in the budget by `share` (the
    /// fuzz target gives them without a file).
    void LoadFromBytes(std::vector<uint8_t> bytes, TBudgetShare share = {});
    int Width() const override { return frame_.width(); }
    int Height() const override { return frame_.height(); }
    /// The frame as 32-bit rows over black (for callers that take TBitmap;
    /// the image control draws Frame()). Made on first call, in the budget.
    const TBitmap& Pixels() override;

    /// The frame shown, premultiplied ARGB or RGB32.
    const QImage& Frame() const { return frame_; }
    /// Whether the file has more frames to step through.
    bool Animated() const { return animated_; }
    /// How long the frame shown stays up, in milliseconds.
    int FrameDelay() const { return delay_; }
    /// Steps to the next frame (after the last: the first). False when the
    /// next one cannot be read: the frame shown stays and the animation ends.
    bool NextFrame();

private:
    /// Reads the reader's next image into frame_ within the budget, or
    /// throws EError with the reader's text.
    void readFrame(QImageReader& reader);
    std::unique_ptr<QImageReader> openReader(QBuffer& buffer);
    /// Inflates a compressed SVG and refuses one that draws too much (SvgGuard.h).
    void checkSvg();
    void convertWithLittleCms(QImage& image);
    TBudgetShare convertCounted(QImage& image, QImage::Format format);

    std::string format_;
    std::vector<uint8_t> bytes_;
    TBudgetShare bytesShare_;
    QByteArray data_;  // over bytes_
    QImage frame_;
    TBudgetShare frameShare_;
    bool animated_ = false;
    int delay_ = 0;
    // The animation's reader, made by the first NextFrame.
    std::unique_ptr<QBuffer> animationBuffer_;
    std::unique_ptr<QImageReader> animationReader_;
    TBitmap pixels_;
    bool pixelsMade_ = false;
};
