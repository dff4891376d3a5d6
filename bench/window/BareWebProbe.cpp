// The baseline for a start on an HTML file: a bare web view set up the way
// Qt WebEngine asks for (shared GL contexts before the application object).
//   bare_web_probe <page.html>
// It stays up until the benchmark ends it.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(696, 411);
    view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
    view.show();
    return app.exec();
}
