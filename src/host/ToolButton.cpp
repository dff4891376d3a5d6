#include "host/ToolButton.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QToolButton>

namespace {

// The glyph PNG at `path` and its double-density form (<name>@2x.png), where
// they exist, read by Qt's own PNG reader: an image reader left to detect
// the format (as QIcon's file loading does) first loads every image plugin,
// the SVG one with Qt's SVG library, to ask each whether it reads PNG.
void AddGlyph(QIcon& icon, const QString& path, QIcon::Mode mode) {
    QString doubled = path;
    doubled.insert(doubled.size() - 4, QLatin1String("@2x"));
    const struct {
        const QString& file;
        qreal ratio;
    } forms[] = {{path, 1}, {doubled, 2}};
    for (const auto& form : forms) {
        if (!QFile::exists(form.file)) continue;
        QImageReader reader(form.file, "png");
        reader.setAutoDetectImageFormat(false);
        QImage image = reader.read();
        if (image.isNull()) continue;
        image.setDevicePixelRatio(form.ratio);
        icon.addPixmap(QPixmap::fromImage(image), mode);
    }
}

}  // namespace

QToolButton* MakeToolButton(QWidget* parent, const QString& name, int left, int top,
                            const QString& glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setGeometry(left, top, 23, 22);
    button->setIconSize(QSize(16, 16));
    if (glyph.endsWith(QLatin1String(".png"))) {
        QIcon icon;
        AddGlyph(icon, glyph, QIcon::Normal);
        QString disabled = glyph;
        disabled.insert(disabled.size() - 4, QLatin1String("-disabled"));
        AddGlyph(icon, disabled, QIcon::Disabled);
        button->setIcon(icon);
    } else if (!glyph.isEmpty()) {
        button->setIcon(QIcon(glyph));
    }
    return button;
}
