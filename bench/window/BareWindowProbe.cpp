// The baseline of the X11 benchmarks: the least a Qt program does to show a
// picture file, a QLabel holding a QImage read by Qt's own reader.
//   bare_window_probe <picture> [<width> <height>] [--text]
// With a size, the window has that size (a large picture shows clipped, as
// at actual size in a viewer's window); else it takes the picture's size.
// With --text, one line of text in its corner as well. It stays up until the
// benchmark ends it.
#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool withText = args.removeAll(QStringLiteral("--text")) > 0;
    if (args.isEmpty()) return 2;
    QLabel label;
    label.setPixmap(QPixmap::fromImage(QImageReader(args.at(0)).read()));
    if (args.size() >= 3)
        label.resize(args.at(1).toInt(), args.at(2).toInt());
    else
        label.adjustSize();
    // One line of text in the corner: the font list and a font, as any
    // window with text needs.
    QLabel text(QStringLiteral("File name:"), &label);
    text.setVisible(withText);
    label.show();
    return app.exec();
}
