#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QString>
#include <QUrl>

#include <mutex>

/**
 * One-time passes of the page scheme's gate. The gate answers a picture,
 * style sheet or media request that reached it (only requests without CORS
 * do) with a file URL carrying a fresh pass; the request guard lets that one
 * URL through once. A page never sees the URL, and a pass it could guess
 * would still name only the file it was issued for.
 */
class TGatePasses {
public:
    /// The file URL of path with a new pass.
    QUrl Issue(const QString& path);

    /// True, once, for a file URL that Issue returned and that was not taken
    /// yet; the pass is used up.
    bool Take(const QUrl& url);

    /// The query item that carries a pass.
    static QString QueryKey();

private:
    struct TPass {
        QString path;
        QDeadlineTimer expiry;
    };
    void dropExpired();

    std::mutex mutex_;
    QHash<QString, TPass> passes_;
};
