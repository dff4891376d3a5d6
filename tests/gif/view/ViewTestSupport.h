#pragma once

// C++
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

/// Runs the event loop for a while without spinning.
void RunEventLoop(int milliseconds);

/// Runs the event loop until `done` holds or the time is up; true when it held.
bool RunEventLoopUntil(const std::function<bool()>& done, int milliseconds);

/// Threads of this process (entries of /proc/self/task).
int ThreadCount();

/**
 * Aborts the test program when a scope is not left in time, so that a
 * deadlock fails at once instead of holding up a run until its time limit.
 */
class Watchdog {
public:
    explicit Watchdog(int seconds);
    ~Watchdog();

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};
