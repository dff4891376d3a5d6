#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <functional>
#include <thread>

#ifdef TARVEL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include "app/Application.h"
#include "app/CompositionRoot.h"
#include "window/MainWindowUnit.h"

namespace {

/// Runs a task once the first window has painted: what the first picture
/// does not need waits until it is on the screen.
class TAfterFirstPaint : public QObject {
public:
    explicit TAfterFirstPaint(std::function<void()> task) : task_(std::move(task)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && task_) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, std::move(task_));
            task_ = nullptr;
        }
        return false;
    }

private:
    std::function<void()> task_;
};

}  // namespace

int main(int argc, char** argv) {
    // A picture to start on is read and decoded while the application
    // connects to the display and builds the window.
    const bool pictureFirst = argc > 1 && ReadFirstFile(QString::fromLocal8Bit(argv[1]));
#ifdef TARVEL_HAVE_FONTCONFIG
    // The first text the window measures loads the system's font list
    // (fontconfig's configuration and caches); a second core reads it while
    // the application connects to the display. Not when the program starts
    // on a picture: its first paint shows no text, and the window's text
    // comes after it, so the reading would only compete with the picture.
    // Thread-safe in fontconfig.
    std::thread fontList;
    if (!pictureFirst) fontList = std::thread([] { FcInit(); });
#endif
    // No Qt::AA_ShareOpenGLContexts here: it would make a GL context, and so
    // load the GL driver, before the first paint. The web engine's plugin gets
    // the shared context it asks for when the first page comes
    // (PrepareWebEngine); it draws pages in software.
    TApplication app(argc, argv);
    // Lets the desktop match the window to its desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.TarvelViewer"));
    // The icon is an SVG drawn in several sizes for the window system.
    TAfterFirstPaint icon(
        [] { qApp->setWindowIcon(QIcon(QStringLiteral(":/icons/tarvel-viewer.svg"))); });
#ifdef TARVEL_HAVE_FONTCONFIG
    if (fontList.joinable()) fontList.join();
#endif

    const QStringList arguments = QCoreApplication::arguments();
    return RunMainWindow(CreateMainWindow(), arguments.value(1));
}
