#include "app/Viewers.h"

#include "app/ActionList.h"
#include "app/Application.h"
#include "app/MainWindowUnit.h"
#include "settings/ExtensionsWindowUnit.h"
#include "settings/FormPlacement.h"
#include "settings/KeyPaths.h"
#include "viewers/gif/GifView.h"
#include "viewers/html/HtmlView.h"
#include "viewers/image/ImageView.h"
#include "viewers/text/TextView.h"

namespace {

// The settings store takes over the window's events, and the window's
// creation and destruction read and write the file-type list through it.
void InstallFormStorage(TMainWindow& window) {
    auto* storage = new TFormStorage(&window);
    storage->SetStoredProps(TFormStorage::MainWindowStoredProps());

    window.OnCreate = [&window, storage] {
        CompanyKeyName = QStringLiteral("TarvelSoftware");
        window.FormCreate();
        TApplication::Guarded([&] {
            window.Extensions() = ExtensionsFromText(storage->ReadText(
                QStringLiteral("Extensions"), ExtensionsText(window.Extensions())));
        });
    };
    window.OnDestroy = [&window, storage] {
        TApplication::Guarded([&] {
            storage->WriteText(QStringLiteral("Extensions"), ExtensionsText(window.Extensions()));
        });
        window.FormDestroy();
    };
    storage->TakeOverHooks({&window.OnShow, &window.OnCloseQuery, &window.OnDestroy});

    window.Action(QStringLiteral("OptionsExtensions"))->OnExecute = [&window] {
        OptionsExtensionsExecute(window);
    };
}

}  // namespace

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    // Each viewer fills its page and registers its load operation here.
    InstallTextView(*window);
    InstallImageView(*window);
    InstallGifView(*window);
    InstallHtmlView(*window);
    // Last: the store looks up the controls whose properties it keeps.
    InstallFormStorage(*window);
    if (window->OnCreate) window->OnCreate();
    return window;
}
