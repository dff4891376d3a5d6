#pragma once

#include <QString>

class QImage;
class QToolButton;
class QWidget;

/**
 * A flat tool button of the viewer's toolbars: 23 x 22 pixels at left, top,
 * with a 16 x 16 glyph from the resources, a ".glyph" file that the build
 * draws from its SVG (and its "-disabled" form for the disabled state, where
 * one exists). The button is named after its control.
 */
QToolButton* MakeToolButton(QWidget* parent, const QString& name, int left, int top,
                            const QString& glyph = {});

/// The picture of a compiled-in ".glyph" resource (premultiplied ARGB), or a
/// null image when there is none or it is not a whole glyph file.
QImage ReadGlyph(const QString& path);
