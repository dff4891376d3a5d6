#pragma once

#include <QObject>

/**
 * How a control places itself in its parent, published as the "Align"
 * property of the image controls (stored settings hold these identifiers).
 * alNone keeps the control's own position and size; alClient fills the
 * parent's client area; the others dock it to one side.
 */
namespace TControlAlign {
Q_NAMESPACE
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)
}  // namespace TControlAlign
