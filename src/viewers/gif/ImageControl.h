#pragma once

// Qt
#include <QImage>
#include <QWidget>

// C++
#include <mutex>

// Own
#include "base/MemoryBudget.h"
#include "viewers/image/ControlAlign.h"

class QPainter;

/**
 * Base of the image controls that draw a picture of their own: the view's
 * lock, flicker-free painting through an off-screen picture of the client
 * size, painting what lies behind the control where the picture is
 * transparent, and the size handling (AutoSize, Align).
 *
 * The control fills no background of its own: the parent's background is
 * painted beneath it, and the off-screen picture starts fully transparent
 * where PaintBehind is asked for, so what lies behind shows through there.
 *
 * Only what is to be painted is painted: the off-screen picture has the size
 * of the part asked for (a control as large as a picture inside a scroll
 * box is mostly out of sight), and PaintArea tells PaintFrame which part
 * that is. The off-screen picture is held in the picture's budget; when that
 * has no room left the paint goes straight to the control instead.
 */
class TImageControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TControlAlign::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)

public:
    explicit TImageControl(QWidget* parent = nullptr);
    ~TImageControl() override;

    /// Guards the view's state; recursive, taken before any surface.
    std::recursive_mutex ViewLock;

    TControlAlign::TAlign Align() const { return FAlign; }
    /// Asks the parent to place the control again (QEvent::LayoutRequest).
    void SetAlign(TControlAlign::TAlign align);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    void SetLeft(int left);
    void SetTop(int top);

    /// After the picture changed: takes the picture's size when AutoSize is
    /// on (keeping Left and Top) and repaints.
    void PictureChanged();

    /// True while the paint routine runs.
    bool Painting() const { return FPainting; }

    /// The preferred size: the picture's width for alNone, alLeft and
    /// alRight, its height for alNone, alTop and alBottom.
    QSize sizeHint() const override;

protected:
    /// The picture's size; empty while there is no picture.
    virtual QSize PictureSize() const = 0;
    /// Draws the picture onto the (off-screen) surface.
    virtual void PaintFrame(QPainter& surface) = 0;

    /// Lets what lies behind the control show through: clears the surface to
    /// fully transparent, the parent's background being painted beneath.
    void PaintBehind(QPainter& surface);

    /// The part of the control (its own coordinates) that the paint under
    /// way draws; the surface is clipped to it.
    QRect PaintArea() const { return paintArea_; }

    /// The budget of the picture shown, for the off-screen picture; none by
    /// default.
    virtual TMemoryBudget* PictureBudget() { return nullptr; }

    /// Gives the off-screen picture back (its budget is going).
    void DropPaintBuffer();

    void paintEvent(QPaintEvent* event) override;

private:
    void paintInto(QPainter& surface);

    TControlAlign::TAlign FAlign = TControlAlign::alNone;
    bool FAutoSize = false;
    bool FPainting = false;
    bool FDrawing = false;  // a buffered paint is under way
    QRect paintArea_;
    QImage offscreen_;
    TBudgetShare offscreenShare_;
};
