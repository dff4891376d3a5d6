#include "viewers/html/WebBrowser.h"

// Qt
#include <QChildEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <memory>

// Project
#include "viewers/html/GatePasses.h"
#include "viewers/html/GuardRedirects.h"
#include "viewers/html/LocalFileGuard.h"
#include "viewers/html/LocalPageHandler.h"
#include "viewers/html/LocalPages.h"
#include "viewers/html/WebPage.h"

namespace {

QString JsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

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
    auto passes = std::make_shared<TGatePasses>();
    auto redirects = std::make_shared<TGuardRedirects>();
    profile_->setUrlRequestInterceptor(new TLocalFileGuard(passes, redirects, profile_));
    profile_->installUrlSchemeHandler(TLocalPages::Scheme(),
                                      new TLocalPageHandler(passes, profile_));
    // No document is ever shown from a file URL; should one be, it reads no other file.
    profile_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    // No address a page names is handed to a program of the desktop, whatever
    // the person pressed or clicked; the page refuses such steps too.
    profile_->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    setPage(new TWebPage(profile_, redirects, this));
    connect(page(), &QWebEnginePage::loadingChanged, this, &TWebBrowser::onLoadingChanged);
    // One view, no other windows: a link the person follows into a new window
    // opens here; windows that script opens by itself stay closed.
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                if (request.isUserInitiated()) openLinkTarget(request.requestedUrl());
            });
    for (QObject* child : children()) watchChild(child);
}

TWebBrowser::~TWebBrowser() {
    // The page must go before its profile.
    delete page();
}

void TWebBrowser::openLinkTarget(const QUrl& target) {
    if (TWebPage::IsWebUrl(target)) {
        page()->load(target);
        return;
    }
    // The request does not say which frame made it, and a web page in a frame
    // may name any local file. A local file opens only when the local page
    // shown links to it itself, as following that link in place would.
    if (!TLocalPages::IsLocal(target) || !TLocalPages::IsLocal(page()->url())) return;
    const QString script = QStringLiteral(
                               "(function (target) {"
                               "  for (const a of document.querySelectorAll('a[href], area[href]'))"
                               "    if (a.href === target) return true;"
                               "  return false;"
                               "})(%1)")
                               .arg(JsonString(target.toString(QUrl::FullyEncoded)));
    QPointer<TWebBrowser> self(this);
    const int serial = loadSerial_;
    page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [self, serial, target](const QVariant& linked) {
                              if (!self || serial != self->loadSerial_ || !linked.toBool()) return;
                              // The viewer's own step goes to the file's own origin.
                              QUrl own = TLocalPages::PageUrl(TLocalPages::PathOf(target));
                              if (target.hasQuery())
                                  own.setQuery(target.query(QUrl::FullyEncoded), QUrl::StrictMode);
                              if (target.hasFragment())
                                  own.setFragment(target.fragment(QUrl::FullyEncoded),
                                                  QUrl::StrictMode);
                              self->page()->load(own);
                          });
}

void TWebBrowser::Navigate(const QString& path) {
    forgetHistory_ = true;
    opening_ = TLocalPages::PageUrl(path);
    page()->load(opening_);
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
            titleLost_ = false;
            if (info.url() == opening_) opening_.clear();
            if (forgetHistory_) {
                // An opened file is never a step back from what was shown before.
                forgetHistory_ = false;
                page()->history()->clear();
            }
            readTitle();
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus: {
            forgetHistory_ = false;
            // A link or a script that leads nowhere is the page's business;
            // only the file the viewer opened reports its failure.
            const bool opened = !opening_.isEmpty() && info.url() == opening_;
            if (opened) opening_.clear();
            if (!opened || info.errorCode() == kErrorAborted) {
                readLostTitle();
                break;
            }
            if (OnNavigateError) OnNavigateError(info.errorString());
            break;
        }
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            forgetHistory_ = false;
            if (info.url() == opening_) opening_.clear();
            readLostTitle();
            break;
    }
}

void TWebBrowser::readLostTitle() {
    // A step that the page refused right after its load (a script going to
    // an address it may not open) started and ended without replacing it.
    if (!titleLost_) return;
    titleLost_ = false;
    readTitle();
}

void TWebBrowser::readTitle() {
    // The page's own scripts cannot change what an isolated world reads.
    const int serial = loadSerial_;
    QPointer<TWebBrowser> self(this);
    page()->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                          [self, serial](const QVariant& result) {
                              if (!self) return;
                              // A newer navigation reports its own title, if
                              // it comes to anything.
                              if (serial != self->loadSerial_) {
                                  self->titleLost_ = true;
                                  return;
                              }
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
