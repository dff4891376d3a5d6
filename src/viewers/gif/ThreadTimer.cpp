// Own
#include "viewers/gif/ThreadTimer.h"

#include "base/ErrorReport.h"

// Qt
#include <QCoreApplication>
#include <QMetaObject>

// C++
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// ---- The worker ----------------------------------------------------------------

/**
 * The worker of a TThreadTimer: sleeps for its interval and hands each tick
 * over to the main thread (queued there; the worker waits until the tick has
 * run).
 *
 * The main thread never waits for a worker that waits for it: the worker waits
 * on a condition variable that also watches the end flag, and a queued tick
 * reaches the timer only through a shared token that the timer clears when it
 * goes. So the timer can be destroyed while a tick is queued, running or about
 * to be queued, and its destructor joins the thread.
 */
class TTimerThread {
public:
    explicit TTimerThread(TThreadTimer* owner);
    /// Ends the thread and joins it.
    ~TTimerThread();
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    /// Copies the interval in; runs when `run`, otherwise stays suspended. A
    /// wait under way starts again, so a new interval governs the next wait.
    void Configure(uint32_t intervalMs, bool run);

    /// Ticks handed over to the main thread so far.
    uint64_t TicksDelivered() const;

    struct State;

private:
    void execute();

    std::shared_ptr<State> state_;
    std::thread thread_;
};

struct TTimerThread::State {
    std::mutex mutex;
    std::condition_variable wake;
    // The timer, while it lives; read on the main thread by a queued tick.
    TThreadTimer* owner = nullptr;
    bool terminated = false;
    bool running = false;
    uint32_t interval = 1000;
    uint64_t generation = 0;
    uint64_t delivered = 0;
    bool tickDone = true;
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
    }
    state_->wake.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TTimerThread::Configure(uint32_t intervalMs, bool run) {
    {
        std::lock_guard lock(state_->mutex);
        state_->interval = intervalMs;
        state_->running = run;
        ++state_->generation;
    }
    state_->wake.notify_all();
}

uint64_t TTimerThread::TicksDelivered() const {
    std::lock_guard lock(state_->mutex);
    return state_->delivered;
}

void TTimerThread::execute() {
    const std::shared_ptr<State> state = state_;
    std::unique_lock lock(state->mutex);
    while (!state->terminated) {
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
    }
}

// ---- The timer -----------------------------------------------------------------

TThreadTimer::TThreadTimer(QObject* parent) : QObject(parent) {}

TThreadTimer::~TThreadTimer() {
    destroying_ = true;
    enabled_ = false;
    onTimer_ = nullptr;
    // Ends and joins the worker; a tick still queued finds the timer gone.
    timerThread_.reset();
}

void TThreadTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TThreadTimer::SetInterval(int value) {
    const uint32_t interval = uint32_t(std::max(value, 0));
    if (interval == interval_) return;
    interval_ = interval;
    UpdateTimer();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TThreadTimer::UpdateTimer() {
    const bool run = interval_ != 0 && enabled_ && onTimer_;
    // The worker is made when there is first something to wait for: until
    // then it would only sleep, and a window that never shows a GIF starts
    // without it.
    if (!timerThread_) {
        if (!run || destroying_) return;
        timerThread_ = std::make_unique<TTimerThread>(this);
    }
    timerThread_->Configure(interval_, run);
}

void TThreadTimer::Timer() {
    if (!enabled_ || destroying_ || !onTimer_) return;
    // The handler may replace itself or destroy the timer: run a copy and
    // touch nothing of this object afterwards.
    const TNotifyEvent handler = onTimer_;
    try {
        handler(this);
    } catch (...) {
        ReportError(std::current_exception());
    }
}

uint64_t TThreadTimer::TicksDelivered() const {
    return timerThread_ ? timerThread_->TicksDelivered() : 0;
}
