// Renders an SVG file into a square PNG of the given size through Qt's SVG
// image plugin. scripts/make-icons builds it when no command-line converter
// is at hand.
//
// Usage: render-svg <input.svg> <size> <output.png>

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QSize>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <input.svg> <size> <output.png>\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);
    if (!ok || size <= 0 || size > 4096) {
        std::fprintf(stderr, "bad size: %s\n", argv[2]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "svg");
    reader.setScaledSize(QSize(size, size));
    QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (!image.save(QString::fromLocal8Bit(argv[3]), "png")) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
