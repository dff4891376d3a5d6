#pragma once

#include <QString>

class QHBoxLayout;
class QImage;
class QToolButton;
class QWidget;

/**
 * A flat tool button of the viewer's toolbars: 23 x 22 pixels, with a 16 x 16
 * glyph from the resources, a ".glyph" file that the build draws from its SVG
 * (and its "-disabled" form for the disabled state, where one exists). The
 * button is named after its control. A tool row places it.
 */
QToolButton* MakeToolButton(QWidget* parent, const QString& name, const QString& glyph = {});

/// The gap between two groups of tool buttons; buttons within a group are
/// one pixel apart.
constexpr int kToolGroupGap = 9;

/**
 * A row of tool buttons from its left: the buttons of a group one pixel
 * apart, kToolGroupGap pixels before a group that AddToolGroup starts, the
 * rest of the row empty. Its margins are the caller's.
 */
QHBoxLayout* MakeToolRow();
void AddToolButton(QHBoxLayout* row, QToolButton* button);
void AddToolGroup(QHBoxLayout* row, QToolButton* firstButton);
/// Ends the row: what is left of the toolbar's width stays empty.
void EndToolRow(QHBoxLayout* row);

/// The picture of a compiled-in ".glyph" resource (premultiplied ARGB), or a
/// null image when there is none or it is not a whole glyph file.
QImage ReadGlyph(const QString& path);
