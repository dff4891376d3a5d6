#pragma once

#include <QWebEnginePage>

#include <memory>

class TGuardRedirects;

/**
 * The page of the HTML view. It goes only where a page is shown: the web
 * (http, https), local files that can be shown, and what a page makes inside
 * itself (about:blank, srcdoc, data and blob frames). Any other scheme is
 * refused, so that no page, by a key press, a click or a script, hands an
 * address to a program of the desktop. A navigation to a local file that
 * cannot be shown (gone, a folder, a device) is dropped and the page stays,
 * without an error; a page on the web opens no local file, nor does a
 * redirect from the web. The page's console messages are not logged anywhere.
 */
class TWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    TWebPage(QWebEngineProfile* profile, std::shared_ptr<TGuardRedirects> redirects,
             QObject* parent);

    /// http and https.
    static bool IsWebUrl(const QUrl& url);

    /// A page read ahead, not shown yet: muted and hidden, and nothing it
    /// asks for (dialogs, file pickers, printing, sound) reaches the person.
    /// What it asked for is remembered: shown, it is loaded anew, so that it
    /// behaves as if it had been loaded then.
    void SetHeldBack(bool held);
    /// It asked for something while it was held back.
    bool AskedWhileHeldBack() const { return asked_; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;

private:
    bool acceptLocal(const QUrl& url, NavigationType type, bool isMainFrame);

    std::shared_ptr<TGuardRedirects> redirects_;
    bool heldBack_ = false;
    bool asked_ = false;
    /// Whether the last step accepted for the top frame [1] (until its load
    /// ends) or for a child frame [0] went to the web: a redirect that
    /// follows it comes from there.
    bool lastStepOnWeb_[2] = {false, false};
};
