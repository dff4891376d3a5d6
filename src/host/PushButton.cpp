#include "host/PushButton.h"

#include <QFontMetrics>

TPushButton::TPushButton(const QString& text, QSize designed, QWidget* parent)
    : QPushButton(text, parent), designed_(designed) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TPushButton::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QSize needed(metrics.horizontalAdvance(text()) + 2 * metrics.averageCharWidth(),
                       metrics.height() + 8);
    return designed_.expandedTo(needed);
}
