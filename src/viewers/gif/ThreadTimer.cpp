// Own
#include "viewers/gif/ThreadTimer.h"

#include "base/ErrorReport.h"

// Qt
#include <QCoreApplication>
#include <QMetaObject>

// System
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

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
 * over, either to the main thread (queued there; the worker waits until the
 * tick has run) or, without synchronisation, runs it itself.
 *
 * The main thread never waits for a worker that waits for it: the worker waits
 * on a condition variable that also watches the end flag, and a queued tick
 * reaches the timer only through a shared token that the timer clears when it
 * goes. So the timer can be destroyed while a tick is queued, running or about
 * to be queued, and its destructor joins the thread.
 */
class TTimerThread {
public:
    /// Thread priority as a nice value (0 normal; positive is lower).
    explicit TTimerThread(TThreadTimer* owner);
    /// Ends the thread and joins it.
    ~TTimerThread();
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    /// Copies the interval in; runs when `run`, otherwise stays suspended. A
    /// wait under way starts again, so a new interval governs the next wait.
    void Configure(uint32_t intervalMs, bool run, bool sync, int niceValue);

    /// For ticks delivered on this thread (no synchronisation).
    void SetWorkerTick(std::function<void()> tick);

    /// Ticks handed over so far (posted to the main thread or run here).
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
                            app, [error] { ReportError(error); }, Qt::QueuedConnection);
                }
            }
            lock.lock();
        }
    }
}

// ---- The timer -----------------------------------------------------------------

namespace {

// Nice values standing for the thread priorities, idle to time-critical.
constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};

}  // namespace

TThreadTimer::TThreadTimer(QObject* parent) : QObject(parent) {}

TThreadTimer::~TThreadTimer() {
    FDestroying = true;
    FEnabled = false;
    FOnTimer = nullptr;
    // Ends and joins the worker; a tick still queued finds the timer gone.
    FTimerThread.reset();
}

void TThreadTimer::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    UpdateTimer();
}

void TThreadTimer::SetInterval(int value) {
    const uint32_t interval = uint32_t(std::max(value, 0));
    if (interval == FInterval) return;
    FInterval = interval;
    UpdateTimer();
}

void TThreadTimer::SetSyncEvent(bool value) {
    if (value == FSyncEvent) return;
    FSyncEvent = value;
    UpdateTimer();
}

void TThreadTimer::SetThreaded(bool value) {
    FThreaded = value;
}

void TThreadTimer::SetThreadPriority(TThreadPriority value) {
    if (value == FThreadPriority) return;
    FThreadPriority = value;
    UpdateTimer();
}

void TThreadTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TThreadTimer::UpdateTimer() {
    const bool run = FInterval != 0 && FEnabled && FOnTimer;
    // The worker is made when there is first something to wait for: until
    // then it would only sleep, and a window that never shows a GIF starts
    // without it.
    if (!FTimerThread) {
        if (!run || FDestroying) return;
        FTimerThread = std::make_unique<TTimerThread>(this);
    }
    // Ticks on the worker call the handler there: it gets its own copy.
    if (!FSyncEvent && FOnTimer) {
        FTimerThread->SetWorkerTick([this, tick = FOnTimer] { tick(this); });
    } else {
        FTimerThread->SetWorkerTick(nullptr);
    }
    FTimerThread->Configure(FInterval, run, FSyncEvent, kNice[int(FThreadPriority)]);
}

void TThreadTimer::Timer() {
    if (!FEnabled || FDestroying || !FOnTimer) return;
    // The handler may replace itself or destroy the timer: run a copy and
    // touch nothing of this object afterwards.
    const TNotifyEvent handler = FOnTimer;
    try {
        handler(this);
    } catch (...) {
        ReportError(std::current_exception());
    }
}

uint64_t TThreadTimer::TicksDelivered() const {
    return FTimerThread ? FTimerThread->TicksDelivered() : 0;
}
