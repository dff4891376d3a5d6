#include "viewers/html/HtmlBrowserPlugin.h"

// Qt
#include <QQuickWindow>

// Project
#include "viewers/html/LocalPages.h"
#include "viewers/html/WebBrowser.h"

THtmlBrowser* THtmlBrowserPlugin::CreateBrowser(QWidget* parent) {
    // The web view is a Qt Quick widget. Drawn by OpenGL it would need the
    // main window to be an OpenGL surface, and Qt would destroy and re-create
    // the window (a new native window, mapped anew) the first time a page is
    // shown; the start-up path never loads OpenGL. In software the view
    // paints like any other widget, and nothing of OpenGL is ever loaded or
    // cached on disk.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The engine learns its schemes when it starts, with the first profile.
    TLocalPages::RegisterScheme();
    return new TWebBrowser(parent);
}
