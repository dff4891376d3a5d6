#pragma once

// Qt
#include <QObject>

// C++
#include <functional>
#include <memory>

class TTimerThread;

/**
 * A timer whose waiting is done by a worker thread (TTimerThread): every
 * tick runs on the main thread while the worker waits for it. A tick runs
 * OnTimer with the timer as sender, while Enabled and a handler is
 * assigned; an interval of 0 or a disabled timer stops the ticks. An error
 * raised by a tick goes to the application's error box and the timer goes on.
 * The worker is started the first time the timer has to run.
 */
class TThreadTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TThreadTimer(QObject* parent = nullptr);
    /// Disables itself, drops its handler and ends and joins its worker. Must
    /// run on the main thread (it may run inside one of its own ticks).
    ~TThreadTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    /// Milliseconds between ticks; 0 stops them.
    int Interval() const { return int(interval_); }
    void SetInterval(int value);

    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

    /// Delivers one tick (called for each tick of the worker).
    void Timer();

    /// Ticks the worker has handed over so far.
    uint64_t TicksDelivered() const;

private:
    void UpdateTimer();

    bool enabled_ = true;
    uint32_t interval_ = 1000;
    bool destroying_ = false;
    TNotifyEvent onTimer_;
    std::unique_ptr<TTimerThread> timerThread_;
};
