#include "app/Viewers.h"

#include "app/MainWindowUnit.h"

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    // Each viewer fills its page and registers its load operation here.
    if (window->OnCreate) window->OnCreate();
    return window;
}
