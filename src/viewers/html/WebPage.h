#pragma once

#include <QWebEnginePage>

/**
 * The page of the HTML view. A navigation to a local file that cannot be
 * shown (gone, a folder, a device) is dropped and the page stays, without an
 * error; a page on the web opens no local file. The page's console messages
 * are not logged anywhere.
 */
class TWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    TWebPage(QWebEngineProfile* profile, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
};
