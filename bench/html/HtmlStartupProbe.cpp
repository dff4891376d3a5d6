// The viewer's own main window, started as the program starts it, for the
// measurements of bench_html:
//   probe text <file>          opens the file, exits right after the first paint
//   probe html <cold> <warm>   shows two HTML files and prints the nanoseconds
//                              from ShowFile to the page title in the caption
#include <unistd.h>

// Qt
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

#ifdef TARVEL_PROBE_LINKS_ENGINE
#include <QWebEngineView>
#endif

// Project
#include "app/Application.h"
#include "app/CompositionRoot.h"
#include "window/MainWindowUnit.h"

namespace {

/// Quits right after the window's first paint has been handled.
class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) QTimer::singleShot(0, [] { ::_exit(0); });
        return false;
    }
};

qint64 TimeToTitle(TMainWindow& window, const QString& path, const QString& title) {
    QElapsedTimer timer;
    timer.start();
    window.ShowFile(path);
    while (window.windowTitle() != title) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return timer.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    TApplication app(argc, argv);
#ifdef TARVEL_PROBE_LINKS_ENGINE
    // Keeps the engine's library a load-time dependency of this build.
    if (argc > 100) new QWebEngineView();
#endif
    TMainWindow* window = CreateMainWindow();
    if (qstrcmp(argv[1], "text") == 0) {
        window->SetCommandLineArgument(QString::fromLocal8Bit(argv[2]));
        TFirstPaint firstPaint;
        window->installEventFilter(&firstPaint);
        window->RunFirstShow();
        window->show();
        return app.exec();
    }
    if (qstrcmp(argv[1], "html") == 0 && argc >= 4) {
        window->OnShow = nullptr;  // no command line: ShowFile is timed alone
        window->show();
        const qint64 cold =
            TimeToTitle(*window, QString::fromLocal8Bit(argv[2]), QStringLiteral("A"));
        const qint64 warm =
            TimeToTitle(*window, QString::fromLocal8Bit(argv[3]), QStringLiteral("B"));
        std::printf("%lld %lld\n", static_cast<long long>(cold), static_cast<long long>(warm));
        std::fflush(stdout);
        ::_exit(0);
    }
    return 2;
}
