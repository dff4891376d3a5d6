#include "viewers/html/WebPage.h"

TWebPage::TWebPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

void TWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                        const QString&) {}
