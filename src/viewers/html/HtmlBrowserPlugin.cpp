#include "viewers/html/HtmlBrowserPlugin.h"

// Project
#include "viewers/html/LocalPages.h"
#include "viewers/html/WebBrowser.h"

THtmlBrowser* THtmlBrowserPlugin::CreateBrowser(QWidget* parent) {
    // The engine learns its schemes when it starts, with the first profile.
    TLocalPages::RegisterScheme();
    return new TWebBrowser(parent);
}
