#pragma once

#include <QPushButton>
#include <QSize>

/**
 * A dialog's push button: the size it was designed with, or more where its
 * text needs it (a wider substitute font, a larger font), so the text is
 * never cut. The style's own hint is not used: some styles give every button
 * with text a width of their own, wider than the dialogs were designed with.
 */
class TPushButton : public QPushButton {
public:
    TPushButton(const QString& text, QSize designed, QWidget* parent);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QSize designed_;
};
