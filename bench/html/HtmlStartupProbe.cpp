// A minimal viewer window for the start-up and title measurements of
// bench_html (the full main window is measured the same way once it exists).
//   probe text <file>          shows the text file, exits after the first paint
//   probe html <cold> <warm>   opens two HTML files through the HTML view and
//                              prints the nanoseconds from Open to the caption
#include <unistd.h>

// Qt
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

#ifdef TARVEL_PROBE_LINKS_ENGINE
#include <QWebEngineView>
#endif

// Project
#include "viewers/html/HtmlView.h"

namespace {

/// Quits right after the window's first paint has been handled.
class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) QTimer::singleShot(0, [] { ::_exit(0); });
        return false;
    }
};

qint64 TimeToTitle(THtmlView& view, const QString& path, QString& caption) {
    caption = QStringLiteral("\x01");
    QElapsedTimer timer;
    timer.start();
    view.Open(path);
    while (caption == QStringLiteral("\x01"))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
#ifdef TARVEL_PROBE_LINKS_ENGINE
    // Keeps the engine's library a real dependency of this build.
    if (argc > 100) new QWebEngineView();
#endif
    QWidget window;
    window.resize(696, 480);
    auto* text = new QPlainTextEdit(&window);
    auto* page = new QWidget(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(text);
    layout->addWidget(page);
    QString caption;
    THtmlView view(page, [&](const QString& title) { caption = title; }, {});

    if (qstrcmp(argv[1], "text") == 0) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (file.open(QIODevice::ReadOnly)) text->setPlainText(QString::fromLatin1(file.readAll()));
        TFirstPaint firstPaint;
        text->viewport()->installEventFilter(&firstPaint);
        window.show();
        return app.exec();
    }
    if (qstrcmp(argv[1], "html") == 0 && argc >= 4) {
        window.show();
        const qint64 cold = TimeToTitle(view, QString::fromLocal8Bit(argv[2]), caption);
        const qint64 warm = TimeToTitle(view, QString::fromLocal8Bit(argv[3]), caption);
        std::printf("%lld %lld\n", static_cast<long long>(cold), static_cast<long long>(warm));
        std::fflush(stdout);
        ::_exit(0);
    }
    return 2;
}
