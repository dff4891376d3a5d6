#include "viewers/html/LocalPages.h"

// Qt
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QWebEngineUrlScheme>

// Project
#include "base/Error.h"
#include "viewers/html/GatePasses.h"

namespace {

const QString kGateHost = QStringLiteral("gate");

}  // namespace

QByteArray TLocalPages::Scheme() {
    return QByteArrayLiteral("tarvel-file");
}

void TLocalPages::RegisterScheme() {
    static bool registered = false;
    if (registered) return;
    QWebEngineUrlScheme scheme(Scheme());
    // A host per file is what makes each file an origin of its own.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Secure: a page keeps what a file URL page has (a secure context, web
    // content on it allowed). Local access: its pages may show file URLs, of
    // which the request guard lets only resources through. Neither local nor
    // CORS-enabled itself: a CORS request from a page to another origin of the
    // scheme, such as the gate, fails before anything is read.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
    if (QWebEngineUrlScheme::schemeByName(Scheme()).name() != Scheme()) {
        throw EError("The web engine started before the viewer could set it up");
    }
    registered = true;
}

QString TLocalPages::keyOf(const QString& path) {
    static const QByteArray secret = [] {
        quint64 words[4];
        QRandomGenerator::system()->fillRange(words);
        return QByteArray(reinterpret_cast<const char*>(words), sizeof words);
    }();
    const QByteArray mac =
        QMessageAuthenticationCode::hash(path.toUtf8(), secret, QCryptographicHash::Sha256);
    return QString::fromLatin1(mac.toHex().left(32));
}

QUrl TLocalPages::PageUrl(const QString& path) {
    QUrl url;
    url.setScheme(QString::fromLatin1(Scheme()));
    url.setHost(keyOf(path));
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

QUrl TLocalPages::GateUrl(const QString& path) {
    QUrl url;
    url.setScheme(QString::fromLatin1(Scheme()));
    url.setHost(kGateHost);
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

bool TLocalPages::IsGate(const QUrl& url) {
    return url.scheme() == QLatin1String(Scheme()) && url.host() == kGateHost;
}

bool TLocalPages::IsLocal(const QUrl& url) {
    if (url.scheme() == QLatin1String(Scheme())) return true;
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0) return false;
    const QString host = url.host();
    return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0;
}

QString TLocalPages::PathOf(const QUrl& url) {
    return url.path(QUrl::FullyDecoded);
}

TLocalAddress TLocalPages::AddressOf(const QUrl& url, TGatePasses& passes) {
    if (url.scheme() != QLatin1String(Scheme())) {
        return passes.Take(url) ? TLocalAddress::PassedFile : TLocalAddress::File;
    }
    if (url.host() == kGateHost) return TLocalAddress::Gate;
    return url.host() == keyOf(PathOf(url)) ? TLocalAddress::OwnOrigin : TLocalAddress::OtherOrigin;
}
