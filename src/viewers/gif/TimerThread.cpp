// Own
#include "viewers/gif/TimerThread.h"

#include "app/Application.h"
#include "viewers/gif/ThreadTimer.h"

// Qt
#include <QCoreApplication>
#include <QMetaObject>

// System
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

struct TTimerThread::State {
    std::mutex mutex;
    std::condition_variable wake;
    // The timer, while it lives; read on the main thread by a queued tick.
    TThreadTimer* owner = nullptr;
    bool terminated = false;
    bool running = false;
    bool sync = true;
    uint32_t interval = 1000;
    int niceValue = 0;
    int appliedNice = 0;
    uint64_t generation = 0;
    uint64_t delivered = 0;
    bool tickDone = true;
    std::function<void()> workerTick;
};

TTimerThread::TTimerThread(TThreadTimer* owner) : state_(std::make_shared<State>()) {
    state_->owner = owner;
    thread_ = std::thread([this] { execute(); });
}

TTimerThread::~TTimerThread() {
    {
        std::lock_guard lock(state_->mutex);
        state_->owner = nullptr;
        state_->terminated = true;
        state_->workerTick = nullptr;
    }
    state_->wake.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TTimerThread::Configure(uint32_t intervalMs, bool run, bool sync, int niceValue) {
    {
        std::lock_guard lock(state_->mutex);
        state_->interval = intervalMs;
        state_->running = run;
        state_->sync = sync;
        state_->niceValue = niceValue;
        ++state_->generation;
    }
    state_->wake.notify_all();
}

void TTimerThread::SetWorkerTick(std::function<void()> tick) {
    std::lock_guard lock(state_->mutex);
    state_->workerTick = std::move(tick);
}

uint64_t TTimerThread::TicksDelivered() const {
    std::lock_guard lock(state_->mutex);
    return state_->delivered;
}

void TTimerThread::execute() {
    const std::shared_ptr<State> state = state_;
    std::unique_lock lock(state->mutex);
    while (!state->terminated) {
        if (state->niceValue != state->appliedNice) {
            // Raising the priority may be refused; the thread then stays as it is.
            setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), state->niceValue);
            state->appliedNice = state->niceValue;
        }
        if (!state->running) {
            state->wake.wait(lock, [&] { return state->terminated || state->running; });
            continue;
        }
        const uint64_t generation = state->generation;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(state->interval);
        if (state->wake.wait_until(lock, deadline, [&] {
                return state->terminated || state->generation != generation;
            }))
            continue;  // ending, or reconfigured: wait again with the new values
        if (QCoreApplication::closingDown()) break;

        ++state->delivered;
        if (state->sync) {
            state->tickDone = false;
            QCoreApplication* app = QCoreApplication::instance();
            if (!app) break;
            QMetaObject::invokeMethod(
                app,
                [state] {
                    TThreadTimer* owner;
                    {
                        std::lock_guard guard(state->mutex);
                        owner = state->terminated ? nullptr : state->owner;
                    }
                    // The timer (and whatever owns it) may be destroyed by
                    // the tick itself: only the shared state is touched after.
                    if (owner) owner->Timer();
                    {
                        std::lock_guard guard(state->mutex);
                        state->tickDone = true;
                    }
                    state->wake.notify_all();
                },
                Qt::QueuedConnection);
            state->wake.wait(lock, [&] { return state->terminated || state->tickDone; });
        } else {
            const std::function<void()> tick = state->workerTick;
            lock.unlock();
            if (tick) {
                try {
                    tick();
                } catch (...) {
                    // The error box belongs to the main thread.
                    std::exception_ptr error = std::current_exception();
                    if (QCoreApplication* app = QCoreApplication::instance())
                        QMetaObject::invokeMethod(
                            app, [error] { TApplication::ShowException(error); },
                            Qt::QueuedConnection);
                }
            }
            lock.lock();
        }
    }
}
