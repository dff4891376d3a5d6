#pragma once

#include <QWebEngineUrlRequestInterceptor>

/**
 * Applies the local-file policy (LocalFilePolicy.h) to every request of the
 * HTML view's profile: requests for local files that the policy refuses are
 * blocked before the engine reads anything.
 */
class TLocalFileGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit TLocalFileGuard(QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
