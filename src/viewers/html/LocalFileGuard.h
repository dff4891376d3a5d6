#pragma once

#include <QWebEngineUrlRequestInterceptor>

#include <memory>

class TGatePasses;

/**
 * Applies the local-file policy (LocalFilePolicy.h) to every request of the
 * HTML view's profile that names a local file, by file URL or in the page
 * scheme: it lets the request go on, redirects it to where its kind belongs
 * or blocks it before the engine reads anything.
 */
class TLocalFileGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    TLocalFileGuard(std::shared_ptr<TGatePasses> passes, QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    std::shared_ptr<TGatePasses> passes_;
};
