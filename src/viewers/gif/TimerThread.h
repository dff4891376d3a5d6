#pragma once

// C++
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;
class TThreadTimer;

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
