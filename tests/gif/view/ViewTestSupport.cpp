// Own
#include "view/ViewTestSupport.h"

// Qt
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

void RunEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool RunEventLoopUntil(const std::function<bool()>& done, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        RunEventLoop(5);
    }
    return true;
}

int ThreadCount() {
    return int(QDir(QStringLiteral("/proc/self/task"))
                   .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                   .size());
}

Watchdog::Watchdog(int seconds) {
    thread_ = std::thread([this, seconds] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done_) {
            if (std::chrono::steady_clock::now() > end) {
                std::fprintf(stderr, "Watchdog: still running after %d s, aborting\n", seconds);
                std::abort();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
}

Watchdog::~Watchdog() {
    done_ = true;
    thread_.join();
}
