// The baseline of the X11 start-up benchmark: the least a Qt program does to
// show a picture file, a QLabel holding a QImage read by Qt's own reader.
//   bare_window_probe <picture>
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
    label.adjustSize();
    label.show();
    return app.exec();
}
