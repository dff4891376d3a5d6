#include "viewers/html/LocalFileGuard.h"

// Qt
#include <QFile>
#include <QUrl>

// Project
#include "viewers/html/LocalFilePolicy.h"

namespace {

TRequestKind KindOf(QWebEngineUrlRequestInfo::ResourceType type) {
    switch (type) {
        case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
            return TRequestKind::Navigation;
        case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeObject:
            return TRequestKind::Frame;
        case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        case QWebEngineUrlRequestInfo::ResourceTypeScript:
        case QWebEngineUrlRequestInfo::ResourceTypeImage:
        case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
        case QWebEngineUrlRequestInfo::ResourceTypeMedia:
        case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
            return TRequestKind::Subresource;
        default:
            // XHR and fetch, workers, pings, prefetches, plugin requests and
            // whatever a later engine adds: reads that script controls.
            return TRequestKind::ScriptRead;
    }
}

}  // namespace

TLocalFileGuard::TLocalFileGuard(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void TLocalFileGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0) return;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) {
        info.block(true);
        return;
    }
    const std::string path = QFile::encodeName(url.path()).toStdString();
    if (!AllowLocalRequest(KindOf(info.resourceType()), ClassifyLocalPath(path))) info.block(true);
}
