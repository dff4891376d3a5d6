#include <QIcon>

#include "app/Application.h"
#include "app/MainWindowUnit.h"
#include "app/Viewers.h"

int main(int argc, char** argv) {
    // No Qt::AA_ShareOpenGLContexts here: it would make a GL context, and so
    // load the GL driver, before the first paint. The web engine's plugin
    // gets its shared context when the first page comes (PrepareWebEngine).
    TApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/tarvel-viewer.svg")));
    // Lets the desktop match the window to its desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.TarvelViewer"));

    TMainWindow* window = CreateMainWindow();
    const QStringList arguments = QCoreApplication::arguments();
    window->SetCommandLineArgument(arguments.size() > 1 ? arguments.at(1) : QString());

    window->RunFirstShow();
    int result = 0;
    if (!window->IsClosed()) {
        window->show();
        result = app.exec();
    }
    delete window;
    return result;
}
