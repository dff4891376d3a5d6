// The viewer as the program starts it, for benchmarks that compare it with
// variants of itself in one run:
//   picture_probe [--no-read-ahead] <file-or-folder>
// --no-read-ahead: no file is read ahead, neither the first picture nor the
// neighbours of any kind (each file is read when it is shown).
#include <QApplication>

#include <cstring>

#include "app/Application.h"
#include "app/CompositionRoot.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/core/PictureReadAhead.h"
#include "window/MainWindowUnit.h"

int main(int argc, char** argv) {
    const bool readAhead = argc < 2 || std::strcmp(argv[1], "--no-read-ahead") != 0;
    if (readAhead && argc > 1) ReadFirstFile(QString::fromLocal8Bit(argv[1]));
    TApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (!readAhead) arguments.removeFirst();
    TMainWindow* window = CreateMainWindow();
    TImageView::OfPage(window->Page(QStringLiteral("IMAGE")))
        ->PictureReadAhead()
        .SetEnabled(readAhead);
    window->SetReadAheadEnabled(readAhead);
    return RunMainWindow(window, arguments.value(0));
}
