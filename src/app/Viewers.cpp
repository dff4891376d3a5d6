#include "app/Viewers.h"

#include "app/MainWindowUnit.h"
#include "viewers/html/HtmlView.h"

TMainWindow* CreateMainWindow() {
    auto* window = new TMainWindow;
    InstallHtmlView(*window);
    // Each viewer fills its page and registers its load operation here.
    if (window->OnCreate) window->OnCreate();
    return window;
}
