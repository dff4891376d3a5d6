// Own
#include "app/Application.h"
#include "base/Error.h"
#include "support/GifBuilder.h"
#include "support/QtTestSupport.h"
#include "view/ViewTestSupport.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/gif/ThreadTimer.h"
#include "viewers/gif/core/GifImage.h"

// Qt
#include <QEvent>
#include <QImage>

// C++
#include <functional>
#include <memory>

// Test
#include <gtest/gtest.h>

namespace {

const QColor kBehind(10, 200, 30);

/** A stand-in for the scroll box: a coloured background that places
    alClient children over its whole area. */
class Box : public QWidget {
public:
    Box() {
        QPalette p = palette();
        p.setColor(QPalette::Window, kBehind);
        setPalette(p);
        setAutoFillBackground(true);
        resize(400, 300);
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::LayoutRequest || e->type() == QEvent::Resize) place();
        return QWidget::event(e);
    }
    void place() {
        for (QObject* child : children())
            if (auto* w = qobject_cast<QWidget*>(child))
                if (w->property("Align").toInt() == TControlAlign::alClient) w->setGeometry(rect());
    }
};

std::vector<uint8_t> solid(int w, int h, uint8_t index) {
    return std::vector<uint8_t>(size_t(w * h), index);
}

QColor entry(int i) {
    const uint32_t c = GifBuilder::colorOf(i);
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

/// Two frames filling a w x h screen with entries 1 and 2.
GifBuilder twoFrames(uint16_t delay0, uint16_t delay1, int w = 4, int h = 2) {
    GifBuilder gif;
    gif.header().screen(uint16_t(w), uint16_t(h), 4);
    gif.graphicControl(delay0).frame(0, 0, uint16_t(w), uint16_t(h), solid(w, h, 1));
    gif.graphicControl(delay1).frame(0, 0, uint16_t(w), uint16_t(h), solid(w, h, 2)).trailer();
    return gif;
}

struct Fixture {
    ScratchFolder folder;
    Box box;
    TGIFAnimator* view;
    Fixture() : view(new TGIFAnimator(&box)) {
        view->setObjectName(QStringLiteral("imgGifImageDisplay"));
        view->setGeometry(8, 8, 121, 97);
        view->SetAnimate(true);
        box.show();
    }
    void load(const GifBuilder& gif, const QString& name = QStringLiteral("a.gif")) {
        const QString path =
            folder.Write(name, QByteArray(reinterpret_cast<const char*>(gif.bytes.data()),
                                          qsizetype(gif.bytes.size())));
        view->LoadFromFile(path.toStdString());
    }
    QColor at(int x, int y) { return box.grab().toImage().pixelColor(x, y); }
};

/// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

TEST(GifAnimator, PublishedPropertiesAndDefaults) {
    TGIFAnimator view;
    EXPECT_EQ(view.size(), QSize(105, 105));
    EXPECT_FALSE(view.Animate());
    EXPECT_TRUE(view.Loop());
    EXPECT_TRUE(view.Transparent());
    EXPECT_TRUE(view.AutoSize());
    EXPECT_FALSE(view.Stretch());
    EXPECT_FALSE(view.Center());
    EXPECT_EQ(view.FrameIndex(), 0);
    EXPECT_TRUE(view.Image().Empty());
    EXPECT_EQ(view.Cache().CacheIndex(), -1);
    EXPECT_EQ(view.Cache().CacheKey(), clNone);

    // Stored settings go through these names.
    ASSERT_TRUE(view.setProperty("Align", QVariant::fromValue(TControlAlign::alClient)));
    EXPECT_EQ(view.Align(), TControlAlign::alClient);
    EXPECT_EQ(view.property("Align").value<TControlAlign::TAlign>(), TControlAlign::alClient);
    ASSERT_TRUE(view.setProperty("AutoSize", false));
    ASSERT_TRUE(view.setProperty("Stretch", true));
    EXPECT_FALSE(view.AutoSize());
    EXPECT_TRUE(view.Stretch());
    for (const char* name : {"Animate", "Center", "FrameIndex", "Loop", "Transparent"})
        EXPECT_TRUE(view.property(name).isValid()) << name;
}

TEST(GifAnimator, FrameDelayLimitsTheDelaysAndIsZeroOutsideAnAnimation) {
    Fixture f;
    f.load(twoFrames(0, 0));
    EXPECT_EQ(f.view->FrameDelay(0), 50);
    EXPECT_EQ(f.view->FrameDelay(1), 50);
    EXPECT_EQ(f.view->FrameDelay(-1), 0);
    EXPECT_EQ(f.view->FrameDelay(2), 0);
    f.load(twoFrames(1500, 100));
    EXPECT_EQ(f.view->FrameDelay(0), 10000);
    EXPECT_EQ(f.view->FrameDelay(1), 1000);
    EXPECT_EQ(f.view->Timer().Interval(), 10000);

    GifBuilder single;
    single.header().screen(2, 2, 4).graphicControl(100).frame(0, 0, 2, 2, solid(2, 2, 1));
    f.load(single.trailer());
    EXPECT_EQ(f.view->FrameDelay(0), 0);
    // A single frame suspends the timer while Animate stays on.
    EXPECT_EQ(f.view->Timer().Interval(), 0);
    EXPECT_TRUE(f.view->Animate());
}

TEST(GifAnimator, TicksAdvanceTheFramesAndLoop) {
    Fixture f;
    f.load(twoFrames(0, 0));
    int changes = 0;
    f.view->OnFrameChanged = [&](QObject*) { ++changes; };
    ASSERT_TRUE(RunEventLoopUntil([&] { return changes >= 4; }, 10000));
    EXPECT_EQ(f.view->Timer().Interval(), 50);
    f.view->SetAnimate(false);
    // Frames alternate: the one shown is what was composed last.
    EXPECT_EQ(f.view->Cache().CacheIndex(), f.view->FrameIndex());
}

TEST(GifAnimator, TickStepsAndEachFrameKeepsItsOwnDelay) {
    Fixture f;
    f.view->SetAnimate(false);
    f.load(twoFrames(1500, 100));
    EXPECT_EQ(f.view->FrameIndex(), 0);
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.view->FrameIndex(), 1);
    EXPECT_EQ(f.view->Timer().Interval(), 1000);
    EXPECT_EQ(f.at(8, 8), entry(2));
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.view->FrameIndex(), 0);
    EXPECT_EQ(f.view->Timer().Interval(), 10000);
    EXPECT_EQ(f.at(8, 8), entry(1));
}

TEST(GifAnimator, OneFrameGifNeverChanges) {
    Fixture f;
    GifBuilder single;
    single.header().screen(2, 2, 4).graphicControl(0).frame(0, 0, 2, 2, solid(2, 2, 3));
    f.load(single.trailer());
    int changes = 0;
    f.view->OnFrameChanged = [&](QObject*) { ++changes; };
    f.view->TimerTick(&f.view->Timer());
    RunEventLoop(300);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(f.view->FrameIndex(), 0);
    EXPECT_TRUE(f.view->Animate());
    EXPECT_EQ(f.at(9, 9), entry(3));
}

TEST(GifAnimator, LoopOffStopsAfterFrameZeroIsDrawnAgain) {
    Fixture f;
    f.view->SetAnimate(false);
    f.load(twoFrames(10, 10));
    f.view->SetLoop(false);
    f.view->SetAnimate(true);
    std::vector<int> shown;
    int stops = 0;
    f.view->OnFrameChanged = [&](QObject*) { shown.push_back(f.view->FrameIndex()); };
    f.view->OnStop = [&](QObject*) {
        ++stops;
        EXPECT_EQ(f.at(8, 8), entry(1));
    };
    f.view->TimerTick(&f.view->Timer());
    EXPECT_TRUE(f.view->Animate());
    f.view->TimerTick(&f.view->Timer());
    EXPECT_FALSE(f.view->Animate());
    EXPECT_FALSE(f.view->Timer().Enabled());
    EXPECT_EQ(shown, (std::vector<int>{1, 0}));
    EXPECT_EQ(stops, 1);
}

TEST(GifAnimator, HiddenViewTicksDoNothingButAHiddenPageDoesNotStopThem) {
    Fixture f;
    f.load(twoFrames(0, 0));
    int changes = 0;
    f.view->OnFrameChanged = [&](QObject*) { ++changes; };
    f.view->hide();
    f.view->TimerTick(&f.view->Timer());
    RunEventLoop(400);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(f.view->FrameIndex(), 0);

    // Shown again, but its page (here the box) hidden: frames go on and are composed.
    f.view->show();
    f.box.hide();
    ASSERT_TRUE(RunEventLoopUntil([&] { return changes >= 3; }, 10000));
    f.view->SetAnimate(false);
    EXPECT_EQ(f.view->Cache().CacheIndex(), f.view->FrameIndex());
}

TEST(GifAnimator, NewGifRestartsAtFrameZeroAndFailedLoadKeepsTheOldOne) {
    Fixture f;
    f.view->SetAnimate(false);
    f.load(twoFrames(10, 10));
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.view->FrameIndex(), 1);
    EXPECT_EQ(f.view->Cache().CacheIndex(), 1);

    // Cut inside the second frame's descriptor: the load fails.
    GifBuilder broken;
    broken.header().screen(6, 3, 4).graphicControl(10).frame(0, 0, 6, 3, solid(6, 3, 1));
    broken.raw({0x2C, 0, 0, 0, 0});
    EXPECT_THROW(f.load(broken, QStringLiteral("b.gif")), EError);
    EXPECT_EQ(f.view->Image().FrameCount(), 2);
    EXPECT_EQ(f.view->Image().LogicalWidth, 4);
    EXPECT_EQ(f.view->FrameIndex(), 1);
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.view->FrameIndex(), 0);

    f.view->TimerTick(&f.view->Timer());
    f.load(twoFrames(20, 20, 6, 3), QStringLiteral("c.gif"));
    EXPECT_EQ(f.view->FrameIndex(), 0);
    EXPECT_EQ(f.view->Cache().CacheIndex(), -1);
    EXPECT_EQ(f.view->Timer().Interval(), 200);
    EXPECT_EQ(f.view->size(), QSize(6, 3));
}

TEST(GifAnimator, FrameIndexTakesOnlyFramesOfTheImageAndNotifies) {
    Fixture f;
    f.view->SetAnimate(false);
    f.load(twoFrames(1500, 100));
    int changes = 0;
    f.view->OnFrameChanged = [&](QObject*) { ++changes; };
    f.view->resize(50, 50);
    for (int ignored : {-5, 2, 999, 0}) f.view->SetFrameIndex(ignored);
    EXPECT_EQ(f.view->FrameIndex(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(f.view->size(), QSize(50, 50));
    EXPECT_EQ(f.view->Timer().Interval(), 10000);

    // As the stored settings would set it.
    ASSERT_TRUE(f.view->setProperty("FrameIndex", 1));
    EXPECT_EQ(f.view->FrameIndex(), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(f.view->Timer().Interval(), 1000);  // frame 1's own delay
    EXPECT_EQ(f.view->size(), QSize(4, 2));       // the picture changed: auto-size
    EXPECT_EQ(f.at(8, 8), entry(2));
    // The ticks go on from there.
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.view->FrameIndex(), 0);
}

TEST(GifAnimator, StretchCenterAndTransparentRedrawAtOnceWhileAnimating) {
    Fixture f;
    f.load(twoFrames(1500, 100, 50, 20));
    RunEventLoop(20);
    PaintCounter counter;
    f.view->installEventFilter(&counter);
    const auto setters = {
        std::function<void(bool)>([&](bool v) { f.view->SetCenter(v); }),
        std::function<void(bool)>([&](bool v) { f.view->SetTransparent(!v); }),
        std::function<void(bool)>([&](bool v) { f.view->SetStretch(v); }),
    };
    for (const auto& set : setters) {
        f.view->resize(80, 60);
        const int before = counter.paints;
        set(true);
        EXPECT_GT(counter.paints, before);         // drawn before returning
        EXPECT_EQ(f.view->size(), QSize(50, 20));  // and the picture changed
        f.view->resize(80, 60);
        const int again = counter.paints;
        set(true);  // the same value: nothing
        EXPECT_EQ(counter.paints, again);
        EXPECT_EQ(f.view->size(), QSize(80, 60));
    }
    // Without animation the change waits for the next paint.
    f.view->SetAnimate(false);
    RunEventLoop(20);
    const int before = counter.paints;
    f.view->SetCenter(false);
    EXPECT_EQ(counter.paints, before);
    RunEventLoop(20);
    EXPECT_GT(counter.paints, before);
}

TEST(GifAnimator, AutoSizeTakesTheLogicalScreenAndAnEmptyImageKeepsTheSize) {
    Fixture f;
    f.load(GifBuilder{}, QStringLiteral("empty.gif"));
    EXPECT_EQ(f.view->geometry(), QRect(8, 8, 121, 97));
    EXPECT_EQ(f.view->FrameIndex(), -1);

    f.load(twoFrames(10, 10, 300, 200));
    EXPECT_EQ(f.view->geometry(), QRect(8, 8, 300, 200));
    // The box places alCustom as it stands: the picture still sizes it.
    f.view->SetAlign(TControlAlign::alCustom);
    f.load(twoFrames(10, 10, 30, 20));
    EXPECT_EQ(f.view->geometry(), QRect(8, 8, 30, 20));
}

TEST(GifAnimator, StretchFillsTheBoxWithoutKeepingProportions) {
    Fixture f;
    GifBuilder gif;
    // Left half entry 1, right half entry 2.
    gif.header().screen(4, 2, 4).graphicControl(10).frame(0, 0, 4, 2, {1, 1, 2, 2, 1, 1, 2, 2});
    f.load(gif.trailer());
    f.view->SetAutoSize(false);
    f.view->SetAlign(TControlAlign::alClient);
    f.view->SetStretch(true);
    // Placed at once, before the repaint that a stretch makes while animating.
    EXPECT_EQ(f.view->geometry(), f.box.rect());
    EXPECT_EQ(f.view->DestRect(), QRect(0, 0, 400, 300));
    RunEventLoop(10);
    EXPECT_EQ(f.at(0, 0), entry(1));
    EXPECT_EQ(f.at(199, 299), entry(1));
    EXPECT_EQ(f.at(200, 0), entry(2));
    EXPECT_EQ(f.at(399, 299), entry(2));
}

TEST(GifAnimator, CenterPlacesThePictureInTheMiddle) {
    Fixture f;
    f.load(twoFrames(10, 10, 50, 20));
    f.view->SetAutoSize(false);
    f.view->setGeometry(0, 0, 101, 51);
    f.view->SetCenter(true);
    EXPECT_EQ(f.view->DestRect(), QRect(25, 15, 50, 20));
    EXPECT_EQ(f.at(25, 15), entry(1));
    EXPECT_EQ(f.at(74, 34), entry(1));
    EXPECT_NE(f.at(24, 15), entry(1));
    EXPECT_NE(f.at(75, 35), entry(1));
}

TEST(GifAnimator, TransparentPixelsShowWhatLiesBehind) {
    Fixture f;
    GifBuilder gif;
    gif.header().screen(2, 1, 4).graphicControl(10, 0).frame(0, 0, 2, 1, {0, 1});
    f.load(gif.trailer());
    EXPECT_EQ(f.at(8, 8), kBehind);
    EXPECT_EQ(f.at(9, 8), entry(1));

    f.view->SetTransparent(false);
    EXPECT_EQ(f.at(8, 8), entry(0));
    EXPECT_EQ(f.at(9, 8), entry(1));
}

TEST(GifAnimator, LaterTransparentFrameShowsTheGlobalBackground) {
    Fixture f;
    f.view->SetAnimate(false);
    GifBuilder gif;
    gif.header().screen(2, 1, 4, /*background*/ 3);
    gif.graphicControl(10).frame(0, 0, 1, 1, {1});
    gif.graphicControl(10, 2).frame(1, 0, 1, 1, {2}).trailer();
    f.load(gif);
    EXPECT_EQ(f.at(9, 8), entry(3));
    f.view->TimerTick(&f.view->Timer());
    EXPECT_EQ(f.at(8, 8), entry(1));
    EXPECT_EQ(f.at(9, 8), entry(3));
}

TEST(GifAnimator, AFrameThatCannotBeDecodedGoesToTheErrorBox) {
    ErrorBoxRecorder boxes;
    Fixture f;
    f.view->SetAnimate(false);
    GifBuilder gif;
    gif.header().screen(2, 1);
    gif.graphicControl(10).frame(0, 0, 2, 1, {1, 1}, 4);
    gif.graphicControl(10).frame(0, 0, 1, 1, {0}).trailer();  // no colour table at all
    f.load(gif);
    EXPECT_EQ(f.at(8, 8), entry(1));
    // As the timer delivers it: errors go to the application's report.
    TApplication::Guarded([&] { f.view->TimerTick(&f.view->Timer()); });
    RunEventLoop(20);
    // Reported once: later paints and ticks keep the last good picture.
    f.view->repaint();
    TApplication::Guarded([&] { f.view->TimerTick(&f.view->Timer()); });
    TApplication::Guarded([&] { f.view->TimerTick(&f.view->Timer()); });
    EXPECT_EQ(f.at(8, 8), entry(1));
    EXPECT_EQ(f.view->FrameIndex(), 1);
    EXPECT_EQ(boxes.Texts(),
              QStringList{QStringLiteral("Wrong number of colors; must be a power of 2.")});
    EXPECT_EQ(f.view->FrameIndex(), 1);
    EXPECT_EQ(f.view->Timer().Interval(), 100);
    // The lock was released: another thread can take it.
    bool free = false;
    std::thread([&] {
        free = f.view->ViewLock.try_lock();
        if (free) f.view->ViewLock.unlock();
    }).join();
    EXPECT_TRUE(free);
}

TEST(GifAnimator, DestroyedWhileAnimating) {
    Watchdog watchdog(60);
    const int threadsBefore = ThreadCount();
    ScratchFolder folder;
    const GifBuilder gif = twoFrames(0, 0);
    const QString path = folder.Write(
        QStringLiteral("a.gif"),
        QByteArray(reinterpret_cast<const char*>(gif.bytes.data()), qsizetype(gif.bytes.size())));
    for (int round = 0; round < 20; ++round) {
        Box box;
        auto* view = new TGIFAnimator(&box);
        view->SetAnimate(true);
        view->LoadFromFile(path.toStdString());
        box.show();
        RunEventLoop(round * 7 % 120);
        delete view;
        RunEventLoop(2);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
}
