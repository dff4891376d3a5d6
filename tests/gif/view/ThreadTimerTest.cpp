// Own
#include "base/Error.h"
#include "support/QtTestSupport.h"
#include "view/ViewTestSupport.h"
#include "viewers/gif/ThreadTimer.h"

// Qt
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// C++
#include <memory>
#include <random>

// Test
#include <gtest/gtest.h>

// Tick counts are bounded from above by elapsed time / interval (a wait is
// never shorter than its interval) and from below very loosely, so that a
// loaded machine does not fail them.

TEST(ThreadTimer, DefaultsAndTicksOnTheMainThreadWithTheTimerAsSender) {
    TThreadTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    EXPECT_EQ(timer.property("Interval").toInt(), 1000);

    int ticks = 0;
    QObject* sender = nullptr;
    bool onMainThread = true;
    timer.SetInterval(20);
    timer.SetOnTimer([&](QObject* s) {
        ++ticks;
        sender = s;
        onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
    });
    EXPECT_TRUE(RunEventLoopUntil([&] { return ticks >= 3; }, 10000));
    EXPECT_EQ(sender, &timer);
    EXPECT_TRUE(onMainThread);
}

TEST(ThreadTimer, IntervalsAreHonoured) {
    for (int interval : {50, 400}) {
        TThreadTimer timer;
        timer.SetInterval(interval);
        int ticks = 0;
        QElapsedTimer clock;
        clock.start();
        timer.SetOnTimer([&](QObject*) { ++ticks; });
        RunEventLoop(1200);
        timer.SetEnabled(false);
        const qint64 elapsed = clock.elapsed();
        EXPECT_LE(ticks, elapsed / interval) << interval;
        EXPECT_GE(ticks, interval == 50 ? 4 : 1) << interval;
    }
}

TEST(ThreadTimer, IntervalZeroOrDisabledStopsTheTicksAndANewIntervalResumesThem) {
    TThreadTimer timer;
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](QObject*) { ++ticks; });
    ASSERT_TRUE(RunEventLoopUntil([&] { return ticks >= 1; }, 10000));

    timer.SetInterval(0);
    RunEventLoop(50);  // a tick already queued may still arrive
    int before = ticks;
    RunEventLoop(400);
    EXPECT_EQ(ticks, before);

    timer.SetInterval(20);
    EXPECT_TRUE(RunEventLoopUntil([&] { return ticks >= before + 2; }, 10000));

    timer.SetEnabled(false);
    RunEventLoop(50);
    before = ticks;
    RunEventLoop(400);
    EXPECT_EQ(ticks, before);

    timer.SetEnabled(true);
    EXPECT_TRUE(RunEventLoopUntil([&] { return ticks >= before + 2; }, 10000));

    timer.SetOnTimer(nullptr);
    RunEventLoop(50);
    const uint64_t delivered = timer.TicksDelivered();
    RunEventLoop(400);
    EXPECT_EQ(timer.TicksDelivered(), delivered);
}

TEST(ThreadTimer, AnIntervalSetDuringATickGovernsTheNextWait) {
    TThreadTimer timer;
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](QObject*) {
        ++ticks;
        timer.SetInterval(60000);
    });
    ASSERT_TRUE(RunEventLoopUntil([&] { return ticks >= 1; }, 10000));
    RunEventLoop(500);
    EXPECT_EQ(ticks, 1);
    // Set from outside, a new interval cuts the long wait short.
    timer.SetInterval(20);
    EXPECT_TRUE(RunEventLoopUntil([&] { return ticks >= 2; }, 10000));
}

TEST(ThreadTimer, AnErrorInATickGoesToTheErrorBoxAndTheTicksGoOn) {
    ErrorBoxRecorder boxes;
    TThreadTimer timer;
    int ticks = 0;
    timer.SetInterval(20);
    timer.SetOnTimer([&](QObject*) {
        ++ticks;
        if (ticks == 1) throw EError("Tick failed");
        if (ticks == 2) throw EAbort();
    });
    ASSERT_TRUE(RunEventLoopUntil([&] { return ticks >= 4; }, 10000));
    ASSERT_EQ(boxes.Texts(), QStringList{QStringLiteral("Tick failed.")});
}

TEST(ThreadTimer, DestroyedWhileATickIsQueuedRunsNoTickAfterwards) {
    Watchdog watchdog(60);
    const int threadsBefore = ThreadCount();
    std::mt19937 random(7);
    int late = 0;
    for (int round = 0; round < 100; ++round) {
        auto alive = std::make_shared<bool>(true);
        auto timer = std::make_unique<TThreadTimer>();
        timer->SetInterval(1);
        timer->SetOnTimer([alive, &late](QObject*) {
            if (!*alive) ++late;
        });
        // Let ticks queue up, be delivered or be about to be queued.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        if (round % 3 == 0) RunEventLoop(int(random() % 3));
        timer.reset();
        *alive = false;
        RunEventLoop(2);
    }
    EXPECT_EQ(late, 0);
    EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST(ThreadTimer, DestroyedByItsOwnTick) {
    Watchdog watchdog(60);
    const int threadsBefore = ThreadCount();
    for (int round = 0; round < 20; ++round) {
        auto* timer = new TThreadTimer;
        bool gone = false;
        timer->SetInterval(1);
        timer->SetOnTimer([&gone](QObject* sender) {
            delete sender;
            gone = true;
        });
        ASSERT_TRUE(RunEventLoopUntil([&] { return gone; }, 10000));
    }
    RunEventLoop(20);
    EXPECT_EQ(ThreadCount(), threadsBefore);
}
