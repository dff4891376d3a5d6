// Build-time tool: draws an SVG glyph into a glyph file of the given size, so
// that the program shows its tool-button glyphs without the SVG plugin and
// without decoding anything.
//   tarvel_glyph_render <in.svg> <out.glyph> <size>
// A glyph file is "TGL1", the width and height as 16-bit little-endian
// numbers, then the pixels row by row as 32-bit little-endian premultiplied
// ARGB (the layout of QImage::Format_ARGB32_Premultiplied on such machines).
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <in.svg> <out.glyph> <size>\n", argv[0]);
        return 2;
    }
    // No display at build time; drawing needs no more than this.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = QString::fromLocal8Bit(argv[3]).toInt();
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid() || size < 1 || size > 256) {
        std::fprintf(stderr, "%s: cannot draw %s\n", argv[0], argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();

    QByteArray data("TGL1");
    char dimension[2];
    qToLittleEndian<quint16>(quint16(size), dimension);
    data.append(dimension, 2).append(dimension, 2);
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            char pixel[4];
            qToLittleEndian<quint32>(row[x], pixel);
            data.append(pixel, 4);
        }
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
