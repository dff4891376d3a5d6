#include "viewers/html/WebPage.h"

// Qt
#include <QFile>

// Project
#include "viewers/html/core/LocalFilePolicy.h"
#include "viewers/html/LocalPages.h"

TWebPage::TWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

bool TWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool) {
    if (!TLocalPages::IsLocal(url)) return true;
    // The viewer's own steps (an opened file, the history, a reload) go on
    // and report what becomes of them.
    if (type == NavigationTypeTyped || type == NavigationTypeBackForward ||
        type == NavigationTypeReload) {
        return true;
    }
    // What a web page starts stays on the web.
    if (!this->url().isEmpty() && !TLocalPages::IsLocal(this->url())) return false;
    const std::string path = QFile::encodeName(TLocalPages::PathOf(url)).toStdString();
    return ClassifyLocalPath(path) == TLocalTarget::File;
}

void TWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                        const QString&) {}
