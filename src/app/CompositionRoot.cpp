// The one place that decides which viewers the program has.
#include "app/CompositionRoot.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// C++ standard library
#include <memory>

// Project
#include "base/Error.h"
#include "base/ErrorReport.h"
#include "host/ActionList.h"
#include "host/Paths.h"
#include "settings/ExtensionsWindowUnit.h"
#include "settings/FormPlacement.h"
#include "settings/KeyPaths.h"
#include "viewers/gif/GifViewer.h"
#include "viewers/html/HtmlViewer.h"
#include "viewers/image/ImageViewer.h"
#include "viewers/text/TextViewer.h"
#include "window/MainWindowUnit.h"

std::vector<TViewerRecord> ProgramViewers() {
    return {
        TextViewer(), HtmlViewer(), ImageViewer(),
        GifViewer(),  // joins the IMAGE page, so after ImageViewer
    };
}

// The program's own order of file types, and the seven every stored list
// from before new types were offered had been given: kept as it stands, not
// made from the viewers' lists, which have grown since.
QStringList ProgramFileTypes() {
    return {QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("txt"),
            QStringLiteral("gif"),  QStringLiteral("bmp"), QStringLiteral("jpg"),
            QStringLiteral("jpeg")};
}

void InstallViewers(TMainWindow& window, const std::vector<TViewerRecord>& viewers) {
    window.SetFileTypeOrder(ProgramFileTypes());
    for (const TViewerRecord& viewer : viewers) window.RegisterViewer(viewer);
}

bool ReadFirstFile(const QString& argument) {
    if (argument.isEmpty()) return false;
    // The path as the window will show it: absolute, "." and ".." resolved.
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(argument));
    if (!QFileInfo(path).isFile()) return false;
    const std::vector<TViewerRecord> viewers = ProgramViewers();
    const int index = ViewerIndexFor(
        viewers, path, [](const TViewerRecord& r) -> const TViewerRecord& { return r; });
    if (index < 0 || !viewers[std::size_t(index)].readFirst) return false;
    viewers[std::size_t(index)].readFirst(path);
    return true;
}

namespace {

// The settings store follows the window's signals, and the window's
// creation and destruction read and write the file-type list through it. The
// store connects first, so that it restores before FormShow and saves before
// the file-type list is written and FormDestroy runs.
void InstallFormStorage(TMainWindow& window) {
    auto* storage = new TFormStorage(&window);
    storage->SetStoredProps(window.StoredProps());
    QObject::connect(&window, &TMainWindow::FirstShowing, storage, &TFormStorage::WindowShowing);
    QObject::connect(&window, &TMainWindow::Closing, storage, &TFormStorage::WindowClosing);
    QObject::connect(&window, &TMainWindow::Destroying, storage, &TFormStorage::WindowDestroying);

    // The file types already offered to the stored list, kept beside it so
    // that a type the program learns to show is appended once (and one the
    // person then removes is not brought back). A store from before this
    // value was kept had been offered the original seven.
    auto offered = std::make_shared<QStringList>();
    QObject::connect(&window, &TMainWindow::Created, storage, [&window, storage, offered] {
        CompanyKeyName = QStringLiteral("TarvelSoftware");
        *offered = window.Extensions();
        Guarded([&] {
            window.Extensions() = ExtensionsFromText(storage->ReadText(
                QStringLiteral("Extensions"), ExtensionsText(window.Extensions())));
            try {
                *offered = ExtensionsFromText(storage->ReadText(
                    QStringLiteral("ExtensionsOffered"), ExtensionsText(ProgramFileTypes())));
            } catch (const EError&) {
                // Unreadable: offered again, which only appends what is missing.
                *offered = ProgramFileTypes();
            }
            OfferFileTypes(window.Extensions(), *offered, window.DefaultExtensions());
        });
    });
    QObject::connect(&window, &TMainWindow::Destroying, storage, [&window, storage, offered] {
        Guarded([&] {
            storage->WriteText(QStringLiteral("Extensions"), ExtensionsText(window.Extensions()));
            storage->WriteText(QStringLiteral("ExtensionsOffered"), ExtensionsText(*offered));
        });
    });
    // A page built after the first paint: its controls join the kept
    // properties and get their stored values, as if they had been there.
    QObject::connect(&window, &TMainWindow::ViewerInstalled, storage,
                     [&window, storage](const TViewerRecord& record) {
                         storage->SetStoredProps(window.StoredProps());
                         storage->ApplyStoredPropsLate(record.storedProps);
                     });

    window.Action(QStringLiteral("OptionsExtensions"))->OnExecute = [&window] {
        OptionsExtensionsExecute(window);
    };
}

}  // namespace

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    InstallViewers(*window, ProgramViewers());
    // Last: the store looks up the controls whose properties it keeps.
    InstallFormStorage(*window);
    window->Create();
    return window;
}

int RunMainWindow(TMainWindow* window, const QString& argument) {
    window->SetCommandLineArgument(argument);
    window->RunFirstShow();
    int result = 0;
    if (!window->IsClosed()) {
        window->show();
        result = QCoreApplication::exec();
    }
    delete window;
    return result;
}
