#include "viewers/html/WebBrowser.h"

// Qt
#include <QChildEvent>
#include <QPointer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

// Project
#include "viewers/html/LocalFileGuard.h"
#include "viewers/html/WebPage.h"

namespace {
// Chromium's code for a navigation that a newer one replaced: not a failure.
constexpr int kErrorAborted = -3;
}  // namespace

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    setObjectName(QStringLiteral("wbHTML"));
    // A profile without a storage name is off the record: nothing reaches the
    // disk. Nothing is cached at all, so a page shown again is read again.
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile_->setUrlRequestInterceptor(new TLocalFileGuard(profile_));
    setPage(new TWebPage(profile_, this));
    connect(page(), &QWebEnginePage::loadingChanged, this, &TWebBrowser::onLoadingChanged);
    // One view, no other windows: a link the user follows into a new window
    // opens here; windows that script opens by itself stay closed.
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                if (request.isUserInitiated()) page()->load(request.requestedUrl());
            });
    for (QObject* child : children()) watchChild(child);
}

TWebBrowser::~TWebBrowser() {
    // The page must go before its profile.
    delete page();
}

void TWebBrowser::Navigate(const QString& path) {
    forgetHistory_ = true;
    page()->load(QUrl::fromLocalFile(path));
}

bool TWebBrowser::CanGoBack() const {
    return page()->history()->canGoBack();
}

void TWebBrowser::RunScript(const QString& script, std::function<void(const QVariant&)> done) {
    page()->runJavaScript(script, QWebEngineScript::MainWorld, std::move(done));
}

void TWebBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            ++loadSerial_;
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            if (forgetHistory_) {
                // An opened file is never a step back from what was shown before.
                forgetHistory_ = false;
                page()->history()->clear();
            }
            readTitle();
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            forgetHistory_ = false;
            if (info.errorCode() == kErrorAborted) break;
            if (OnNavigateError) OnNavigateError(info.errorString());
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            forgetHistory_ = false;
            break;
    }
}

void TWebBrowser::readTitle() {
    // The page's own scripts cannot change what an isolated world reads.
    const int serial = loadSerial_;
    QPointer<TWebBrowser> self(this);
    page()->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                          [self, serial](const QVariant& result) {
                              // A newer navigation reports its own title.
                              if (!self || serial != self->loadSerial_) return;
                              if (result.typeId() != QMetaType::QString) return;
                              if (self->OnNavigateComplete)
                                  self->OnNavigateComplete(result.toString());
                          });
}

void TWebBrowser::watchChild(QObject* child) {
    if (child->isWidgetType()) child->installEventFilter(this);
}

bool TWebBrowser::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) watchChild(static_cast<QChildEvent*>(event)->child());
    return QWebEngineView::event(event);
}

bool TWebBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // No window shortcut runs before the page has seen the key; the
        // engine hands the keys that the page leaves to the parent widget.
        event->accept();
        return true;
    }
    return QWebEngineView::eventFilter(watched, event);
}
