#include <QIcon>

#include "app/Application.h"
#include "app/MainWindowUnit.h"
#include "app/Viewers.h"

int main(int argc, char** argv) {
    // The web engine, loaded later from a plugin, needs shared GL contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
