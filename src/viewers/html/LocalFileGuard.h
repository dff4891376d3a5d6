#pragma once

#include <QWebEngineUrlRequestInterceptor>

#include <memory>

class TGatePasses;
class TGuardRedirects;

/**
 * Applies the local-file policy (LocalFilePolicy.h) to every request of the
 * HTML view's profile that names a local file, by file URL or in the page
 * scheme: it lets the request go on, redirects it to where its kind belongs
 * or blocks it before the engine reads anything. The documents it sends on
 * to their own origin are recorded, so that the page can tell its steps from
 * a redirect that a web server made.
 */
class TLocalFileGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    TLocalFileGuard(std::shared_ptr<TGatePasses> passes, std::shared_ptr<TGuardRedirects> redirects,
                    QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    std::shared_ptr<TGatePasses> passes_;
    std::shared_ptr<TGuardRedirects> redirects_;
};
