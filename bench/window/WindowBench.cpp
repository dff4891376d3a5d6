// Folder scan and order against listing and byte-sorting the same folder, the
// file menu of a large folder against a one-item menu, and the longest turn of
// the event loop while files arrive in a followed folder against the same
// window not following it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include "window/FileMenu.h"

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchMain.h"
#include "host/ActionList.h"
#include "window/FileList.h"
#include "window/FolderScan.h"
#include "window/FolderWatch.h"
#include "window/MainWindowUnit.h"

namespace {

const QStringList kDefaults = {"html", "htm", "txt", "gif", "bmp", "jpg", "jpeg"};

// A folder of `count` empty files, every second one of a browsable type.
QString makeFolder(QTemporaryDir& dir, int count) {
    const QString path = dir.path() + QLatin1Char('/');
    const char* browsable[] = {"txt", "JPG", "html", "gif"};
    for (int i = 0; i < count; ++i) {
        const QString ext =
            (i % 2 == 0) ? QString::fromLatin1(browsable[(i / 2) % 4]) : QStringLiteral("dat");
        QFile f(path + QStringLiteral("File %1 name.%2").arg((i * 7919) % count).arg(ext));
        f.open(QIODevice::WriteOnly);
    }
    return path;
}

QTemporaryDir& bigFolder() {
    static QTemporaryDir dir;
    static const QString made = makeFolder(dir, 100000);
    (void)made;
    return dir;
}

void BM_ListAndByteSort_Baseline(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(bigFolder().path());
    for (auto _ : state) {
        std::vector<std::string> names;
        DIR* dir = ::opendir(path.constData());
        while (const dirent* e = ::readdir(dir)) names.emplace_back(e->d_name);
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_ListAndByteSort_Baseline)->Unit(benchmark::kMillisecond);

void BM_ScanAndOrder(benchmark::State& state) {
    const QString path = bigFolder().path() + QLatin1Char('/');
    TFileList list;
    for (auto _ : state) {
        list.Assign(ScanFolderFiles(path, kDefaults));
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["files"] = list.Count();
}
BENCHMARK(BM_ScanAndOrder)->Unit(benchmark::kMillisecond);

// From the command to the painted menu.
double popupMilliseconds(TMainWindow& window) {
    TFileMenu* menu = window.FileMenu();
    // The menu's list paints, not the menu itself: any paint in the menu's
    // window counts.
    struct PaintSpy : QObject {
        QWidget* menu = nullptr;
        bool painted = false;
        bool eventFilter(QObject* watched, QEvent* e) override {
            if (e->type() == QEvent::Paint && watched->isWidgetType() &&
                static_cast<QWidget*>(watched)->window() == menu)
                painted = true;
            return false;
        }
    } spy;
    spy.menu = menu;
    qApp->installEventFilter(&spy);
    QElapsedTimer timer;
    timer.start();
    window.PopupFileMenu();
    while (!spy.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = timer.nsecsElapsed() / 1e6;
    qApp->removeEventFilter(&spy);
    menu->hide();
    QCoreApplication::processEvents();
    return ms;
}

void fileMenu(benchmark::State& state, int files) {
    QTemporaryDir dir;
    const QString path = makeFolder(dir, files * 2);
    TMainWindow window;
    window.FormCreate();
    // No viewers registered here: the program's default types, given.
    window.Extensions() = kDefaults;
    window.OnShow = nullptr;
    window.show();
    window.OpenPath(path);
    for (auto _ : state) {
        window.ScanFolder(path);  // the menu is rebuilt after every scan
        state.SetIterationTime(popupMilliseconds(window) / 1000.0);
    }
    state.counters["items"] = window.Files().size();
}

void BM_FileMenu_OneItem_Baseline(benchmark::State& state) {
    fileMenu(state, 1);
}
void BM_FileMenu_10000(benchmark::State& state) {
    fileMenu(state, 10000);
}
BENCHMARK(BM_FileMenu_OneItem_Baseline)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_FileMenu_10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The longest turn of the event loop: the longest wait between the ticks of
// a 1 ms timer, which fires whenever the loop is free.
struct TurnMeter {
    QTimer ticks;
    QElapsedTimer since;
    qint64 longestNs = 0;
    int count = 0;
    TurnMeter() {
        ticks.setTimerType(Qt::PreciseTimer);
        ticks.setInterval(1);
        QObject::connect(&ticks, &QTimer::timeout, [this] {
            longestNs = std::max(longestNs, since.nsecsElapsed());
            since.restart();
            ++count;
        });
        since.start();
        ticks.start();
    }
};

// 1,000 files arriving over about a second in a folder of 10,000 listed files
// (and as many of other types), the window following it or not.
void arrivals(benchmark::State& state, bool follow) {
    QTemporaryDir dir;
    const QString path = makeFolder(dir, 20000);
    TMainWindow window;
    window.FormCreate();
    window.OnShow = nullptr;
    window.Extensions() = kDefaults;
    window.show();
    window.OpenPath(path);
    if (!follow) window.FolderWatch()->WatchFolder({});
    // What the window builds after its first paint (the fonts among it) is
    // done before anything is measured.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 500) QCoreApplication::processEvents();
    const qsizetype listed = window.Files().size();
    int round = 0;
    int rebuilds = 0;
    bool measuring = false;
    QObject::connect(window.FolderWatch(), &TFolderWatch::FolderChanged, [&] {
        if (measuring) ++rebuilds;
    });
    for (auto _ : state) {
        QCoreApplication::processEvents();
        QStringList made;
        for (int i = 0; i < 1000; ++i)
            made.append(path + QStringLiteral("new %1 %2.jpg").arg(round).arg(i));
        ++round;
        measuring = true;
        TurnMeter meter;
        std::atomic<bool> written{false};
        std::thread writer([&made, &written] {
            for (const QString& name : made) {
                QFile(name).open(QIODevice::WriteOnly);
                std::this_thread::sleep_for(std::chrono::microseconds(900));
            }
            written = true;
        });
        // Until every file is written and, when followed, listed.
        while (!written || (follow && window.Files().size() < listed + 1000))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        writer.join();
        // The turn that made the list ends with the next tick.
        const int ticked = meter.count;
        while (meter.count == ticked)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(meter.longestNs) / 1e9);
        measuring = false;
        // Gone again, and the window back at rest, before the next round.
        for (const QString& name : made) QFile::remove(name);
        QElapsedTimer resting;
        resting.start();
        while (resting.elapsed() < 3 * TBurstRule::kQuietMs) QCoreApplication::processEvents();
    }
    state.counters["listed"] = double(listed);
    state.counters["rebuilds"] = double(rebuilds) / double(state.iterations());
}

void BM_FilesArrive_NotFollowed_Baseline(benchmark::State& state) {
    arrivals(state, false);
}
void BM_FilesArrive_Followed(benchmark::State& state) {
    arrivals(state, true);
}
BENCHMARK(BM_FilesArrive_NotFollowed_Baseline)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_FilesArrive_Followed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, TBenchPlatform::OffscreenUnlessSet);
}
