// The baseline of the X11 benchmarks: the least a Qt program does to show a
// picture file, a QLabel holding a QImage read by Qt's own reader.
//   bare_window_probe <picture> [<width> <height>]
// With a size, the window has that size (a large picture shows clipped, as
// at actual size in a viewer's window); else it takes the picture's size.
// It stays up until the benchmark ends it.
#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    QApplication app(argc, argv);
    QLabel label;
    label.setPixmap(QPixmap::fromImage(QImageReader(QString::fromLocal8Bit(argv[1])).read()));
    if (argc >= 4)
        label.resize(QString::fromLocal8Bit(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]).toInt());
    else
        label.adjustSize();
    label.show();
    return app.exec();
}
