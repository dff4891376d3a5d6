#pragma once

#include <QSize>
#include <QWidget>

#include "viewers/image/ControlAlign.h"
#include "viewers/image/Zoomable.h"

/**
 * What the still and the animated picture controls share: the stored
 * properties Align, AutoSize and Stretch (the settings file keeps them under
 * these names) and their rules, and the zoom buttons' steps (TZoomable).
 *
 * - Align: a change asks the parent to place the control at once (a
 *   QEvent::LayoutRequest sent, not posted), so that a repaint that follows
 *   straight away draws at the new place and size.
 * - AutoSize: the control takes the picture's size, one picture pixel per
 *   device pixel, along each axis its parent does not set: not the width
 *   for alTop, alBottom and alClient, not the height for alLeft, alRight
 *   and alClient. It does so when turned on and when the picture changes
 *   (ApplyAutoSize); an empty picture leaves the size as it is.
 * - Stretch: only stored here; how a stretched picture is fitted is the
 *   control's own (a still picture keeps its proportions, a GIF does not).
 */
class TPictureControl : public QWidget, public TZoomable {
    Q_OBJECT
    Q_PROPERTY(TControlAlign::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)

public:
    ~TPictureControl() override;

    TControlAlign::TAlign Align() const { return align_; }
    bool AutoSize() const { return autoSize_; }
    bool Stretch() const { return stretch_; }

    QWidget* Control() override { return this; }
    void SetAlign(TControlAlign::TAlign align) override;
    void SetAutoSize(bool autoSize) override;
    void SetStretch(bool stretch) override;
    void SetLeft(int left) override;
    void SetTop(int top) override;

protected:
    explicit TPictureControl(QWidget* parent);

    /// The picture's size in the control's (logical) pixels; empty while
    /// there is no picture.
    virtual QSize PictureSize() const = 0;
    /// Takes the picture's size as AutoSize and Align say (see above).
    void ApplyAutoSize();

private:
    TControlAlign::TAlign align_ = TControlAlign::alNone;
    bool autoSize_ = true;
    bool stretch_ = false;
};
