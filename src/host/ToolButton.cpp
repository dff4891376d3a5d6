#include "host/ToolButton.h"

#include <QFile>
#include <QIcon>
#include <QToolButton>

QToolButton* MakeToolButton(QWidget* parent, const QString& name, int left, int top,
                            const QString& glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setGeometry(left, top, 23, 22);
    button->setIconSize(QSize(16, 16));
    if (!glyph.isEmpty()) {
        QIcon icon(glyph);
        QString disabled = glyph;
        if (disabled.endsWith(QLatin1String(".png"))) {
            disabled.insert(disabled.size() - 4, QLatin1String("-disabled"));
            if (QFile::exists(disabled)) icon.addFile(disabled, QSize(), QIcon::Disabled);
        }
        button->setIcon(icon);
    }
    return button;
}
