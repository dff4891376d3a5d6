#pragma once

#include <gtest/gtest.h>

// Qt
#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QWidget>

// Project
#include "support/QtTestSupport.h"
#include "viewers/html/HtmlView.h"

class QTcpServer;

/// A simple HTML page with a title.
QByteArray Page(const QByteArray& title, const QByteArray& body = {});

/// Whether the web engine's library is mapped into this process.
bool EngineLoaded();

/**
 * The HTML view in a page widget of its own, shown, with the captions it
 * reported; helpers to wait for the engine and to run script in the page.
 */
class HtmlViewFixture : public ::testing::Test {
protected:
    HtmlViewFixture();

    QWidget* WebView() const;

    /// Runs events until cond holds or a generous limit passes.
    template <class Cond>
    bool WaitFor(Cond cond, int ms = 20000) {
        return WaitUntil(cond, ms);
    }

    bool WaitForCaptions(qsizetype count);

    /// Runs a script in the page's main world; its result as a string.
    QString Eval(const QString& script);

    /// Waits until the page's global `results` has `done` set; returns it.
    QJsonObject WaitForResults();

    QWidget page_;
    QStringList captions_;
    THtmlView view_;
    ScratchFolder files_;
    ErrorBoxRecorder errors_;
};

/** A web server on 127.0.0.1 that serves fixed pages, for links to the web. */
class TTestWebServer {
public:
    TTestWebServer();
    ~TTestWebServer();
    /// Serves body as text/html at path (which begins with "/").
    void Serve(const QString& path, const QByteArray& body);
    /// Answers requests for path with "302 Found" to location.
    void Redirect(const QString& path, const QByteArray& location);
    /// The address of path on this server.
    QString Url(const QString& path) const;

private:
    QTcpServer* server_;
    QHash<QString, QByteArray> pages_;
    QHash<QString, QByteArray> redirects_;
};
