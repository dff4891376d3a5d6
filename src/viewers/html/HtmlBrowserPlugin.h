#pragma once

#include <QObject>

#include "viewers/html/HtmlBrowser.h"

/**
 * The web engine plugin: the only code that links Qt WebEngine. The shell
 * loads it with QPluginLoader when the first HTML file is shown, so that
 * starting on a text or image file never loads the engine.
 */
class THtmlBrowserPlugin : public QObject, public THtmlBrowserFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID THtmlBrowserFactory_iid)
    Q_INTERFACES(THtmlBrowserFactory)
public:
    THtmlBrowser* CreateBrowser(QWidget* parent) override;
};
