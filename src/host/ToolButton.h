#pragma once

#include <QString>

class QToolButton;
class QWidget;

/**
 * A flat tool button of the viewer's toolbars: 23 x 22 pixels at left, top,
 * with a 16 x 16 glyph from the resources, a PNG that the build draws from
 * its SVG (and its "-disabled" form for the disabled state, where one
 * exists). The button is named after its control.
 */
QToolButton* MakeToolButton(QWidget* parent, const QString& name, int left, int top,
                            const QString& glyph = {});
