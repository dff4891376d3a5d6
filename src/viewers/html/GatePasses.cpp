#include "viewers/html/GatePasses.h"

// Qt
#include <QRandomGenerator>
#include <QUrlQuery>

namespace {
// A request follows its redirect at once; a pass left over belongs to a
// request that was cancelled meanwhile.
constexpr int kPassLifetimeMs = 60000;
}  // namespace

QString TGatePasses::QueryKey() {
    return QStringLiteral("tarvel-pass");
}

QUrl TGatePasses::Issue(const QString& path) {
    quint64 words[2];
    QRandomGenerator::system()->fillRange(words);
    const QString pass =
        QString::number(words[0], 16) + QLatin1Char('-') + QString::number(words[1], 16);
    QUrl url = QUrl::fromLocalFile(path);
    QUrlQuery query;
    query.addQueryItem(QueryKey(), pass);
    url.setQuery(query);
    std::lock_guard<std::mutex> lock(mutex_);
    dropExpired();
    passes_.insert(pass, TPass{path, QDeadlineTimer(kPassLifetimeMs)});
    return url;
}

bool TGatePasses::Take(const QUrl& url) {
    const QString pass = QUrlQuery(url).queryItemValue(QueryKey());
    if (pass.isEmpty()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = passes_.constFind(pass);
    if (it == passes_.constEnd()) return false;
    const bool valid = !it->expiry.hasExpired() && it->path == url.toLocalFile();
    passes_.erase(it);
    return valid;
}

void TGatePasses::dropExpired() {
    for (auto it = passes_.begin(); it != passes_.end();) {
        it = it->expiry.hasExpired() ? passes_.erase(it) : std::next(it);
    }
}
