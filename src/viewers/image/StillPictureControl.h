#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

#include "base/MemoryBudget.h"
#include "viewers/image/PictureControl.h"
#include "viewers/image/core/Picture.h"

/**
 * The still picture control (imgImageDisplay): draws its picture at actual size
 * or fitted (see FitRect), nearest pixel, painting only the destination
 * rectangle; a picture read through Qt keeps its transparency over what lies
 * behind the control, and an animated one steps through its frames while the
 * control is shown. A photo with an EXIF orientation is drawn upright, and
 * sized and fitted as drawn. The pixels are turned into a QImage once per load
 * or decode; every paint scales that afresh. A JPEG starts decoding when it
 * is loaded, on a worker thread, and the first paint takes the result; a
 * decode error is reported once, from that paint.
 */
class QTimer;
class TGraphic;
class TQtPicture;

class TStillPictureControl : public TPictureControl {
    Q_OBJECT

public:
    explicit TStillPictureControl(QWidget* parent = nullptr);
    ~TStillPictureControl() override;

    TPicture& Picture() { return picture_; }
    /// Makes graphic the picture's reader object (a loaded one) and reacts
    /// as to any change of picture; gives back the one it replaces.
    std::unique_ptr<TGraphic> SetGraphic(std::unique_ptr<TGraphic> graphic);
    /// After the picture's reader object changed: auto-size, redraw.
    void PictureChanged();

    /// Where the picture goes in the control's client area.
    QRectF DestRect() const;

    /// Runs after each paint of a picture.
    std::function<void()> OnPainted;

protected:
    QSize PictureSize() const override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    TQtPicture* animation() const;
    void animate();
    void nextFrame();
    const QImage* drawable();
    QImage drawingCopy(TGraphic& graphic);

    TPicture picture_;

    // The drawable form of the current reader object's pixels: its own rows
    // (a decoded JPEG) or a copy held in the picture's budget.
    QImage image_;
    TBudgetShare imageShare_;
    bool imageReady_ = false;
    bool decodeFailed_ = false;
    // Steps an animated picture read through Qt (WebP, MNG) to its next frame.
    QTimer* frameTimer_ = nullptr;
};
