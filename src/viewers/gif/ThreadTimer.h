#pragma once

// Qt
#include <QObject>

// C++
#include <functional>
#include <memory>

class TTimerThread;

/**
 * A timer whose waiting is done by a worker thread (TTimerThread). With
 * SyncEvent true (the default) every tick runs on the main thread while the
 * worker waits for it; with SyncEvent false ticks run on the worker. A tick
 * runs OnTimer with the timer as sender, while Enabled and a handler is
 * assigned; an interval of 0 or a disabled timer stops the ticks. An error
 * raised by a tick goes to the application's error box and the timer goes on.
 * The worker is started the first time the timer has to run.
 */
class TThreadTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(bool SyncEvent READ SyncEvent WRITE SetSyncEvent)
    Q_PROPERTY(bool Threaded READ Threaded WRITE SetThreaded)
    Q_PROPERTY(TThreadPriority ThreadPriority READ ThreadPriority WRITE SetThreadPriority)

public:
    enum TThreadPriority {
        tpIdle,
        tpLowest,
        tpLower,
        tpNormal,
        tpHigher,
        tpHighest,
        tpTimeCritical
    };
    Q_ENUM(TThreadPriority)

    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TThreadTimer(QObject* parent = nullptr);
    /// Disables itself, drops its handler and ends and joins its worker. Must
    /// run on the main thread (it may run inside one of its own ticks).
    ~TThreadTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    /// Milliseconds between ticks; 0 stops them.
    int Interval() const { return int(FInterval); }
    void SetInterval(int value);
    bool SyncEvent() const { return FSyncEvent; }
    void SetSyncEvent(bool value);
    /// Only the threaded mode exists here; the value is kept.
    bool Threaded() const { return FThreaded; }
    void SetThreaded(bool value);
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value);

    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

    /// Delivers one tick (called for each tick of the worker).
    void Timer();

    /// Ticks the worker has handed over so far.
    uint64_t TicksDelivered() const;

private:
    void UpdateTimer();

    bool FEnabled = true;
    uint32_t FInterval = 1000;
    bool FSyncEvent = true;
    bool FThreaded = true;
    TThreadPriority FThreadPriority = tpNormal;
    bool FDestroying = false;
    TNotifyEvent FOnTimer;
    std::unique_ptr<TTimerThread> FTimerThread;
};
