// Own
#include "viewers/gif/ThreadTimer.h"

#include "app/Application.h"
#include "viewers/gif/TimerThread.h"

// C++
#include <algorithm>

namespace {

// Nice values standing for the thread priorities, idle to time-critical.
constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};

}  // namespace

TThreadTimer::TThreadTimer(QObject* parent)
    : QObject(parent), FTimerThread(std::make_unique<TTimerThread>(this)) {}

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
    if (!FTimerThread) return;
    // Ticks on the worker call the handler there: it gets its own copy.
    if (!FSyncEvent && FOnTimer) {
        FTimerThread->SetWorkerTick([this, tick = FOnTimer] { tick(this); });
    } else {
        FTimerThread->SetWorkerTick(nullptr);
    }
    const bool run = FInterval != 0 && FEnabled && FOnTimer;
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
        TApplication::ShowException(std::current_exception());
    }
}

uint64_t TThreadTimer::TicksDelivered() const {
    return FTimerThread ? FTimerThread->TicksDelivered() : 0;
}
