#include "viewers/html/LocalFileGuard.h"

// Qt
#include <QFile>
#include <QUrl>

// Project
#include "viewers/html/GatePasses.h"
#include "viewers/html/GuardRedirects.h"
#include "viewers/html/LocalPages.h"
#include "viewers/html/core/LocalFilePolicy.h"

namespace {

using Info = QWebEngineUrlRequestInfo;

TRequestKind KindOf(Info::ResourceType type) {
    switch (type) {
        case Info::ResourceTypeMainFrame:
        case Info::ResourceTypeSubFrame:
        case Info::ResourceTypeObject:
            return TRequestKind::Document;
        case Info::ResourceTypeScript:
            return TRequestKind::Script;
        case Info::ResourceTypeFontResource:
            return TRequestKind::Font;
        case Info::ResourceTypeStylesheet:
        case Info::ResourceTypeImage:
        case Info::ResourceTypeMedia:
            return TRequestKind::Passive;
        default:
            // XHR and fetch, workers, pings, prefetches, favicons, plugin
            // requests and whatever a later engine adds.
            return TRequestKind::Other;
    }
}

/// The page scheme's origins are local pages. A request without an initiator
/// comes from the viewer itself only for a top-level page (an opened file,
/// a step in the history); otherwise it comes from an opaque origin, such as
/// a sandboxed frame of a web page.
bool FromLocalPage(const Info& info) {
    const QUrl initiator = info.initiator();
    if (initiator.isEmpty()) return info.resourceType() == Info::ResourceTypeMainFrame;
    return initiator.scheme() == QLatin1String(TLocalPages::Scheme());
}

/// A URL resolved against a local document carries that document's key.
bool HasKeyOfInitiator(const Info& info) {
    const QUrl initiator = info.initiator();
    return initiator.scheme() == QLatin1String(TLocalPages::Scheme()) &&
           info.requestUrl().scheme() == QLatin1String(TLocalPages::Scheme()) &&
           info.requestUrl().host() == initiator.host();
}

}  // namespace

TLocalFileGuard::TLocalFileGuard(std::shared_ptr<TGatePasses> passes,
                                 std::shared_ptr<TGuardRedirects> redirects, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent),
      passes_(std::move(passes)),
      redirects_(std::move(redirects)) {}

void TLocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    if (!TLocalPages::IsLocal(url)) {
        // A file URL naming another machine is never read.
        if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) info.block(true);
        return;
    }
    const QString path = TLocalPages::PathOf(url);
    const std::string nativePath = QFile::encodeName(path).toStdString();
    TLocalRequest request;
    request.kind = KindOf(info.resourceType());
    request.address = TLocalPages::AddressOf(url, *passes_);
    request.target = ClassifyLocalPath(nativePath);
    request.fromLocalPage = FromLocalPage(info);
    request.scriptName = IsScriptFile(nativePath);
    request.keyOfInitiator = HasKeyOfInitiator(info);
    // A page's address keeps its query and fragment: pages read them.
    const auto keepingQuery = [&url](QUrl target) {
        if (url.hasQuery()) target.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
        if (url.hasFragment())
            target.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
        return target;
    };
    switch (RouteLocalRequest(request)) {
        case TLocalRoute::Pass:
            break;
        case TLocalRoute::ToOwnOrigin: {
            const QUrl target = keepingQuery(TLocalPages::PageUrl(path));
            redirects_->Record(target);
            info.redirect(target);
            break;
        }
        case TLocalRoute::ToGate:
            info.redirect(TLocalPages::GateUrl(path));
            break;
        case TLocalRoute::ToFile:
            info.redirect(keepingQuery(QUrl::fromLocalFile(path)));
            break;
        case TLocalRoute::Block:
            info.block(true);
            break;
    }
}
