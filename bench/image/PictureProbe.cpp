// The viewer as the program starts it, for benchmarks that compare it with
// variants of itself in one run:
//   picture_probe [--no-read-ahead] <file-or-folder>
// --no-read-ahead: neighbouring pictures are not read ahead (each file is
// read and decoded when it is shown).
#include <QApplication>

#include "app/Application.h"
#include "app/MainWindowUnit.h"
#include "app/Viewers.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--no-read-ahead")) {
        arguments.removeFirst();
        // TODO(read-ahead): switch it off here once the viewer has it.
    }
    TMainWindow* window = CreateMainWindow();
    window->SetCommandLineArgument(arguments.value(0));
    window->RunFirstShow();
    int result = 0;
    if (!window->IsClosed()) {
        window->show();
        result = app.exec();
    }
    delete window;
    return result;
}
