// Folder scan and order against listing and byte-sorting the same folder, and
// the file menu of a large folder against a one-item menu.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include "window/FileMenu.h"

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/ActionList.h"
#include "window/FileList.h"
#include "window/FolderScan.h"
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
    struct PaintSpy : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) painted = true;
            return false;
        }
    } spy;
    menu->installEventFilter(&spy);
    QElapsedTimer timer;
    timer.start();
    window.Action(QStringLiteral("NavigationSelectFile"))->Execute();
    while (!spy.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = timer.nsecsElapsed() / 1e6;
    menu->removeEventFilter(&spy);
    menu->hide();
    QCoreApplication::processEvents();
    return ms;
}

void fileMenu(benchmark::State& state, int files) {
    QTemporaryDir dir;
    const QString path = makeFolder(dir, files * 2);
    TMainWindow window;
    window.FormCreate();
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

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
