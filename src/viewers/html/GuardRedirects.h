#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QUrl>

#include <mutex>
#include <utility>
#include <vector>

/**
 * The local documents that the request guard itself sent a request on to
 * (a page's link, taken to the file's own origin), each kept for a few
 * seconds. The page follows a redirect to a local document only when it is
 * one of these: a redirect that a web server answers names whatever it
 * likes.
 */
class TGuardRedirects {
public:
    void Record(const QUrl& target);

    /// True, once per Record, for a target recorded a moment ago.
    bool Take(const QUrl& target);

private:
    static QString keyOf(const QUrl& url);

    std::mutex mutex_;
    std::vector<std::pair<QString, QDeadlineTimer>> targets_;
};
