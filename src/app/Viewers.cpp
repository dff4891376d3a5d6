#include "app/Viewers.h"

#include "app/MainWindowUnit.h"
#include "viewers/image/ImageView.h"

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    // Each viewer fills its page and registers its load operation here.
    InstallImageView(*window);
    if (window->OnCreate) window->OnCreate();
    return window;
}
