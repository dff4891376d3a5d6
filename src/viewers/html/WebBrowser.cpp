#include "viewers/html/WebBrowser.h"

// Qt
#include <QApplication>
#include <QChildEvent>
#include <QFile>
#include <QFileInfo>
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

#include <algorithm>
#include <memory>
#include <utility>

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
    redirects_ = redirects;
    adopt(new TWebPage(profile_, redirects_, this));
    for (QObject* child : children()) watchChild(child);
}

TWebBrowser::~TWebBrowser() {
    // The pages must go before their profile.
    for (TAhead& ahead : ahead_) delete ahead.page;
    delete page();
}

void TWebBrowser::adopt(TWebPage* page) {
    page->SetHeldBack(false);
    setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, &TWebBrowser::onLoadingChanged);
    // One view, no other windows: a link the person follows into a new window
    // opens here; windows that script opens by itself stay closed.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                if (request.isUserInitiated()) openLinkTarget(request.requestedUrl());
            });
}

void TWebBrowser::ReadAhead(const QStringList& paths) {
    // One page ahead in each direction at the most: the two likeliest.
    wantedAhead_ = paths.mid(0, 2);
    for (std::size_t i = ahead_.size(); i-- > 0;)
        if (!wantedAhead_.contains(ahead_[i].path)) dropAhead(i);
    readNextAhead();
}

bool TWebBrowser::HoldsAhead(const QString& path) const {
    for (const TAhead& ahead : ahead_)
        if (ahead.path == path && ahead.loaded) return true;
    return false;
}

void TWebBrowser::readNextAhead() {
    // The page shown loads first; pages ahead load one at a time.
    if (shownLoading_) return;
    for (const TAhead& ahead : ahead_)
        if (!ahead.loaded) return;
    for (const QString& path : wantedAhead_) {
        const bool held = std::any_of(ahead_.begin(), ahead_.end(),
                                      [&](const TAhead& a) { return a.path == path; });
        if (held) continue;
        TAhead ahead;
        // Its renderer's share among the files of every kind read ahead.
        ahead.share = TryReadAheadShare(kPageAheadBytes);
        if (ahead.share.Bytes() == 0) return;
        ahead.path = path;
        ahead.stamp = TFileStamp::Of(QFile::encodeName(path).toStdString());
        ahead.page = new TWebPage(profile_, redirects_, this);
        ahead.page->SetHeldBack(true);
        TWebPage* page = ahead.page;
        connect(page, &QWebEnginePage::loadingChanged, this,
                [this, page](const QWebEngineLoadingInfo& info) {
                    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
                    const auto it = std::find_if(ahead_.begin(), ahead_.end(),
                                                 [&](const TAhead& a) { return a.page == page; });
                    if (it == ahead_.end() || it->loaded) return;
                    // A page that fails is not kept: shown, it is loaded and reports then.
                    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
                        it->loaded = true;
                        readAheadTitle(page);
                    } else {
                        dropAhead(std::size_t(it - ahead_.begin()));
                    }
                    QMetaObject::invokeMethod(this, &TWebBrowser::readNextAhead,
                                              Qt::QueuedConnection);
                });
        ahead_.push_back(std::move(ahead));
        page->load(TLocalPages::PageUrl(QFileInfo(path).absoluteFilePath()));
        return;
    }
}

void TWebBrowser::readAheadTitle(TWebPage* page) {
    // Read while the page waits, so that it has its caption the moment it is
    // shown, without a round trip to a renderer that is just waking up.
    QPointer<TWebBrowser> self(this);
    // Held as a QObject: a page being destroyed answers with no result from
    // its base class's destructor, when it is no longer a TWebPage.
    QPointer<QObject> held(page);
    page->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                        [self, held](const QVariant& result) {
                            if (result.typeId() != QMetaType::QString || !self || !held) return;
                            for (TAhead& ahead : self->ahead_)
                                if (static_cast<QObject*>(ahead.page) == held.data())
                                    ahead.title = result.toString();
                        });
}

void TWebBrowser::dropAhead(std::size_t index) {
    TWebPage* page = ahead_[index].page;
    ahead_.erase(ahead_.begin() + std::ptrdiff_t(index));
    page->disconnect(this);
    page->deleteLater();
}

TWebPage* TWebBrowser::takeAhead(const QString& path, QString* title) {
    const auto it =
        std::find_if(ahead_.begin(), ahead_.end(), [&](const TAhead& a) { return a.path == path; });
    if (it == ahead_.end()) return nullptr;
    const std::size_t index = std::size_t(it - ahead_.begin());
    // Not loaded yet, changed on disk since, or it asked for something it was
    // not given: loaded anew, as if it had never been read ahead.
    if (!it->loaded || it->page->AskedWhileHeldBack() ||
        !(TFileStamp::Of(QFile::encodeName(path).toStdString()) == it->stamp)) {
        dropAhead(index);
        return nullptr;
    }
    TWebPage* page = it->page;
    *title = it->title;
    ahead_.erase(it);
    page->disconnect(this);
    return page;
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
    page()->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [self, serial, target](const QVariant& linked) {
            if (!self || serial != self->loadSerial_ || !linked.toBool()) return;
            // The viewer's own step goes to the file's own origin.
            QUrl own = TLocalPages::PageUrl(TLocalPages::PathOf(target));
            if (target.hasQuery()) own.setQuery(target.query(QUrl::FullyEncoded), QUrl::StrictMode);
            if (target.hasFragment())
                own.setFragment(target.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
            self->page()->load(own);
        });
}

void TWebBrowser::Navigate(const QString& path) {
    QString title;
    if (TWebPage* ready = takeAhead(path, &title)) {
        // Shown as it was laid out while hidden, with its caption at once.
        QWebEnginePage* old = page();
        ++loadSerial_;
        opening_.clear();
        forgetHistory_ = false;
        shownLoading_ = false;
        titleLost_ = false;
        adopt(ready);
        old->disconnect(this);
        old->deleteLater();
        if (!title.isNull()) reportTitle(title);
        // A script may have changed it since: the caption follows.
        readTitle();
        readNextAhead();
        return;
    }
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
            shownLoading_ = true;
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
            shownLoading_ = false;
            readNextAhead();
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus: {
            shownLoading_ = false;
            QMetaObject::invokeMethod(this, &TWebBrowser::readNextAhead, Qt::QueuedConnection);
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
            shownLoading_ = false;
            QMetaObject::invokeMethod(this, &TWebBrowser::readNextAhead, Qt::QueuedConnection);
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
                                  // Read again once that navigation has ended
                                  // without a page of its own, or now if it has.
                                  if (self->shownLoading_)
                                      self->titleLost_ = true;
                                  else
                                      self->readTitle();
                                  return;
                              }
                              if (result.typeId() != QMetaType::QString) return;
                              self->reportTitle(result.toString());
                          });
}

void TWebBrowser::reportTitle(const QString& title) {
    // A page shown from read-ahead reports its title once, not again when
    // the read that follows finds it unchanged.
    if (reportedSerial_ == loadSerial_ && reportedTitle_ == title) return;
    reportedSerial_ = loadSerial_;
    reportedTitle_ = title;
    if (OnNavigateComplete) OnNavigateComplete(title);
}

void TWebBrowser::watchChild(QObject* child) {
    if (child->isWidgetType()) child->installEventFilter(this);
}

bool TWebBrowser::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded) watchChild(static_cast<QChildEvent*>(event)->child());
    return QWebEngineView::event(event);
}

bool TWebBrowser::eventFilter(QObject* watched, QEvent* event) {
    // Another file (another origin, so another renderer) or a page read ahead
    // brings a new surface, and the old one is hidden while it may still have
    // the keyboard: keys, the window's among them, would go to a page no
    // longer there and be lost. The window takes them instead.
    if (event->type() == QEvent::Hide && isVisible() && watched == QApplication::focusWidget() &&
        !static_cast<QWidget*>(watched)->isWindow())
        static_cast<QWidget*>(watched)->clearFocus();
    if (event->type() == QEvent::ShortcutOverride) {
        // No window shortcut runs before the page has seen the key; the
        // engine hands the keys that the page leaves to the parent widget.
        event->accept();
        return true;
    }
    return QWebEngineView::eventFilter(watched, event);
}
