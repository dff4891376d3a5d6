#include "viewers/html/WebPage.h"

// Qt
#include <QFile>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

// Project
#include "viewers/html/GuardRedirects.h"
#include "viewers/html/LocalPages.h"
#include "viewers/html/core/LocalFilePolicy.h"

namespace {

/// What a page makes inside itself. A data or blob address at the top would
/// stand for the page without being it, and the engine refuses those anyway.
bool IsInPageUrl(const QUrl& url, bool isMainFrame) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("about")) {
        const QString what = url.path();
        return what == QLatin1String("blank") || what == QLatin1String("srcdoc");
    }
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob")) return !isMainFrame;
    return false;
}

}  // namespace

TWebPage::TWebPage(QWebEngineProfile* profile, std::shared_ptr<TGuardRedirects> redirects,
                   QObject* parent)
    : QWebEnginePage(profile, parent), redirects_(std::move(redirects)) {
    // A top-level step onto the web ends with its load, whether it showed a
    // page or was refused; what comes after it is the page's own again.
    // A page that asks for the camera, the microphone, the screen, the
    // location, notifications or the pointer hears no at once, instead of
    // waiting for an answer nobody gives: the viewer shows documents.
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                if (heldBack_) asked_ = true;
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    // What a page held back does that the person would see or hear.
    const auto ask = [this] {
        if (heldBack_) asked_ = true;
    };
    connect(this, &QWebEnginePage::printRequested, this, ask);
    connect(this, &QWebEnginePage::recentlyAudibleChanged, this, [ask](bool audible) {
        if (audible) ask();
    });
    connect(this, &QWebEnginePage::newWindowRequested, this, ask);
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [this, ask](QWebEngineFullScreenRequest request) {
                if (heldBack_) {
                    ask();
                    request.reject();
                }
            });
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) lastStepOnWeb_[1] = false;
    });
}

bool TWebPage::IsWebUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool TWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    bool accepted = false;
    if (TLocalPages::IsLocal(url)) {
        accepted = acceptLocal(url, type, isMainFrame);
    } else {
        // Everything else, mailto: included, would go to a program of the
        // desktop; a page is never allowed to start one.
        accepted = IsWebUrl(url) || IsInPageUrl(url, isMainFrame);
    }
    if (accepted) lastStepOnWeb_[isMainFrame] = IsWebUrl(url);
    return accepted;
}

bool TWebPage::acceptLocal(const QUrl& url, NavigationType type, bool isMainFrame) {
    // The viewer's own steps (an opened file, the history, a reload) go on
    // and report what becomes of them.
    if (type == NavigationTypeTyped || type == NavigationTypeBackForward ||
        type == NavigationTypeReload) {
        return true;
    }
    // What a web page starts stays on the web.
    if (!this->url().isEmpty() && !TLocalPages::IsLocal(this->url())) return false;
    // The engine calls a server's redirect and a local page's own scripted or
    // timed step to another page both redirects. The request guard's own
    // steps are known; a redirect right after a step onto the web came from
    // the web.
    if (type == NavigationTypeRedirect && !redirects_->Take(url) && lastStepOnWeb_[isMainFrame]) {
        return false;
    }
    const std::string path = QFile::encodeName(TLocalPages::PathOf(url)).toStdString();
    return ClassifyLocalPath(path) == TLocalTarget::File;
}

void TWebPage::SetHeldBack(bool held) {
    heldBack_ = held;
    setAudioMuted(held);
    setVisible(!held);
}

void TWebPage::javaScriptAlert(const QUrl& origin, const QString& message) {
    if (heldBack_) {
        asked_ = true;
        return;
    }
    QWebEnginePage::javaScriptAlert(origin, message);
}

bool TWebPage::javaScriptConfirm(const QUrl& origin, const QString& message) {
    if (heldBack_) {
        asked_ = true;
        return false;
    }
    return QWebEnginePage::javaScriptConfirm(origin, message);
}

bool TWebPage::javaScriptPrompt(const QUrl& origin, const QString& message,
                                const QString& defaultValue, QString* result) {
    if (heldBack_) {
        asked_ = true;
        return false;
    }
    return QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
}

QStringList TWebPage::chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                                  const QStringList& acceptedMimeTypes) {
    if (heldBack_) {
        asked_ = true;
        return {};
    }
    return QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
}

void TWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                        const QString&) {}
