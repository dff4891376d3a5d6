#pragma once

#include <QWebEnginePage>

/** The page of the HTML view: the page's console messages are not logged anywhere. */
class TWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    TWebPage(QWebEngineProfile* profile, QObject* parent);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
};
