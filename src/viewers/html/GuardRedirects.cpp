#include "viewers/html/GuardRedirects.h"

#include <algorithm>

namespace {
// The page hears of a redirect as soon as the guard makes it; what is left
// after this belongs to a request that was cancelled.
constexpr int kLifetimeMs = 10000;
}  // namespace

QString TGuardRedirects::keyOf(const QUrl& url) {
    // Requests carry no fragment; the navigation that follows them may.
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

void TGuardRedirects::Record(const QUrl& target) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(targets_, [](const auto& entry) { return entry.second.hasExpired(); });
    targets_.emplace_back(keyOf(target), QDeadlineTimer(kLifetimeMs));
}

bool TGuardRedirects::Take(const QUrl& target) {
    const QString key = keyOf(target);
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = std::find_if(targets_.begin(), targets_.end(), [&](const auto& entry) {
        return entry.first == key && !entry.second.hasExpired();
    });
    if (it == targets_.end()) return false;
    targets_.erase(it);
    return true;
}
