#include "viewers/html/HtmlBrowserPlugin.h"

// Project
#include "viewers/html/WebBrowser.h"

THtmlBrowser* THtmlBrowserPlugin::CreateBrowser(QWidget* parent) {
    return new TWebBrowser(parent);
}
