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
 * lock, painting only the part asked for, and the size handling (AutoSize,
 * Align).
 *
 * The control fills no background of its own: unless it says it paints
 * opaquely (PaintsOpaquely), the parent's background is painted beneath it, so
 * what lies behind shows through wherever it draws nothing. It paints
 * straight into the window's back buffer, which reaches the screen in one
 * step: a frame change shows without flicker.
 *
 * Only what is to be painted is painted: PaintArea tells PaintFrame which
 * part is asked for (a control as large as a picture inside a scroll box is
 * mostly out of sight).
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

    TControlAlign::TAlign Align() const { return align_; }
    /// Asks the parent to place the control again (QEvent::LayoutRequest).
    void SetAlign(TControlAlign::TAlign align);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    void SetLeft(int left);
    void SetTop(int top);

    /// After the picture changed: takes the picture's size when AutoSize is
    /// on (keeping Left and Top) and repaints.
    void PictureChanged();

    /// True while the paint routine runs.
    bool Painting() const { return painting_; }

    /// The preferred size: the picture's width for alNone, alLeft and
    /// alRight, its height for alNone, alTop and alBottom.
    QSize sizeHint() const override;

protected:
    /// The picture's size; empty while there is no picture.
    virtual QSize PictureSize() const = 0;
    /// Draws the picture onto the surface, within PaintArea.
    virtual void PaintFrame(QPainter& surface) = 0;

    /// Whether the paint covers every pixel it is asked for, so that
    /// nothing needs painting beneath it first; looked at by PictureChanged.
    virtual bool PaintsOpaquely() const { return false; }

    /// The part of the control (its own coordinates) that the paint under
    /// way draws; the surface is clipped to it.
    QRect PaintArea() const { return paintArea_; }

    void paintEvent(QPaintEvent* event) override;

private:
    TControlAlign::TAlign align_ = TControlAlign::alNone;
    bool autoSize_ = false;
    bool painting_ = false;
    QRect paintArea_;
};
