// A process that starts, shows one picture and exits after its first paint.
//   startup_probe viewer <file>   the viewer's own window opened on the file
//   startup_probe bare <file>     a bare Qt window showing the same picture
//   startup_probe bare-text <file> the same with one line of text beside it,
//                                  which makes it load the font database too
#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include <unistd.h>

#include "app/Application.h"
#include "app/CompositionRoot.h"
#include "window/MainWindowUnit.h"

namespace {

// Ends the process as soon as the watched widget has been painted once: its
// paint handler runs here, then the process ends (the viewer queues work for
// after its first paint, which a queued exit would wait for).
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        watched->event(event);
        ::_exit(0);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    FirstPaint watcher;
    if (mode.startsWith(QLatin1String("bare"))) {
        QApplication app(argc, argv);
        QWidget window;
        QLabel label(&window);
        label.setPixmap(QPixmap::fromImage(QImageReader(file).read()));
        label.adjustSize();
        QLabel text(QStringLiteral("File name:"), &window);
        text.move(0, label.height());
        text.setVisible(mode == QLatin1String("bare-text"));
        label.installEventFilter(&watcher);
        window.show();
        return app.exec();
    }
    // As main does: the picture is read while the application starts.
    ReadFirstFile(file);
    TApplication app(argc, argv);
    TMainWindow* window = CreateMainWindow();
    window->SetCommandLineArgument(file);
    window->RunFirstShow();
    QWidget* picture = window->findChild<QWidget*>(QStringLiteral("imgImageDisplay"));
    if (!picture) return 3;
    picture->installEventFilter(&watcher);
    window->show();
    return app.exec();
}
