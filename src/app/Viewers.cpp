#include "app/Viewers.h"

#include "app/MainWindowUnit.h"
#include "viewers/text/TextView.h"

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    // Each viewer fills its page and registers its load operation here.
    InstallTextView(*window);
    if (window->OnCreate) window->OnCreate();
    return window;
}
