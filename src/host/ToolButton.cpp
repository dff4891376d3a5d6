#include "host/ToolButton.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QResource>
#include <QToolButton>
#include <QtEndian>

#include <cstring>

QImage ReadGlyph(const QString& path) {
    const QResource resource(path);
    if (!resource.isValid()) return {};
    // Stored uncompressed, so this is the compiled-in bytes themselves.
    const QByteArray data = resource.uncompressedData();
    constexpr qsizetype kHeader = 8;
    if (data.size() < kHeader || std::memcmp(data.constData(), "TGL1", 4) != 0) return {};
    const int width = qFromLittleEndian<quint16>(data.constData() + 4);
    const int height = qFromLittleEndian<quint16>(data.constData() + 6);
    if (width < 1 || height < 1 || data.size() != kHeader + qsizetype(width) * height * 4)
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    for (int y = 0; y < height; ++y)
        qFromLittleEndian<quint32>(data.constData() + kHeader + qsizetype(y) * width * 4, width,
                                   image.scanLine(y));
    return image;
}

namespace {

// The glyph file named `path` with `tag` before its extension ("back.glyph",
// "@2x": "back@2x.glyph").
QString variant(QString path, QLatin1String tag) {
    return path.insert(path.size() - int(sizeof(".glyph") - 1), tag);
}

// The glyph at `path` and its double-density form (<name>@2x.glyph), where
// they exist.
void AddGlyph(QIcon& icon, const QString& path, QIcon::Mode mode) {
    const QString doubled = variant(path, QLatin1String("@2x"));
    const struct {
        const QString& file;
        qreal ratio;
    } forms[] = {{path, 1}, {doubled, 2}};
    for (const auto& form : forms) {
        QImage image = ReadGlyph(form.file);
        if (image.isNull()) continue;
        image.setDevicePixelRatio(form.ratio);
        icon.addPixmap(QPixmap::fromImage(std::move(image)), mode);
    }
}

}  // namespace

QToolButton* MakeToolButton(QWidget* parent, const QString& name, const QString& glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    // Only a glyph, so no font changes what it needs.
    button->setFixedSize(23, 22);
    button->setIconSize(QSize(16, 16));
    if (!glyph.isEmpty()) {
        QIcon icon;
        AddGlyph(icon, glyph, QIcon::Normal);
        AddGlyph(icon, variant(glyph, QLatin1String("-disabled")), QIcon::Disabled);
        button->setIcon(icon);
    }
    return button;
}

QHBoxLayout* MakeToolRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    return row;
}

void AddToolButton(QHBoxLayout* row, QToolButton* button) {
    row->addWidget(button, 0, Qt::AlignTop);
}

void AddToolGroup(QHBoxLayout* row, QToolButton* firstButton) {
    // The row's own spacing comes on top of this.
    row->addSpacing(kToolGroupGap - row->spacing());
    AddToolButton(row, firstButton);
}

void EndToolRow(QHBoxLayout* row) {
    row->addStretch(1);
}
