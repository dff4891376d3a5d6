// Peak memory of showing one file, over the empty viewer, as a ratio to the
// picture's own 32-bit size (width x height x 4; a GIF's logical screen):
// each file of tests/data/bombs and harvesters in each format (skipped
// without the shared test data). A fresh window shows the file, paints it
// and, for a GIF, takes 100 animation steps; the heap is counted by
// HeapProbe, which sees transient buffers too.
//
// Counters: peak_MiB (heap), ratio (peak over the 32-bit size), resident_MiB
// (growth of resident memory), refused (1 when the file was refused).

// Own
#include "app/Application.h"
#include "base/Error.h"
#include "support/HeapProbe.h"
#include "support/TestData.h"
#include "viewers/gif/GifAnimator.h"
#include "viewers/gif/GifViewer.h"
#include "viewers/gif/ThreadTimer.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ImageViewer.h"
#include "window/MainWindowUnit.h"

// Qt
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// C
#include <unistd.h>

// C++
#include <cstdio>
#include <memory>
#include <string>

// Third party
#include <benchmark/benchmark.h>

namespace {

struct Sample {
    std::string name;
    QString path;
    double width, height;      // of the picture as its header gives it
    std::string missing = {};  // why the file is not there to show, if it is not
};

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

void settle(QWidget& window) {
    QApplication::processEvents();
    window.repaint();
    QApplication::processEvents();
}

void BM_ShowFile(benchmark::State& state, const Sample& sample) {
    if (!sample.missing.empty()) {
        state.SkipWithError(sample.missing.c_str());
        return;
    }
    for (auto _ : state) {
        TMainWindow window;
        TImageView* page = InstallImageView(window);
        TGIFAnimator* gif = InstallGifView(window);
        window.FormCreate();
        window.OnShow = nullptr;  // no file to open, no open dialog
        window.resize(800, 600);
        // Shown on an empty IMAGE page: the empty viewer.
        window.show();
        window.ShowPage(QStringLiteral("IMAGE"));
        settle(window);
        const bool isGif = sample.path.endsWith(QStringLiteral(".gif"));
        HeapProbe::ResetPeak();
        const double heap = double(HeapProbe::InUse());
        const double resident = double(HeapProbe::Resident());
        bool refused = false;
        try {
            // As ShowFile does, for ".jpeg" too.
            if (isGif) {
                gif->LoadFromFile(QFile::encodeName(sample.path).toStdString());
                page->ShowImageControl(gif);
            } else {
                page->LoadPictureFile(sample.path);
            }
        } catch (const EError&) {
            refused = true;
        }
        settle(window);
        if (!refused && isGif)
            for (int i = 0; i < 100; ++i) gif->TimerTick(&gif->Timer());
        const double peak = double(HeapProbe::Peak()) - heap;
        const double own = sample.width * sample.height * 4;
        state.counters["peak_MiB"] = peak / (1 << 20);
        state.counters["ratio"] = peak / own;
        state.counters["resident_MiB"] = (double(HeapProbe::Resident()) - resident) / (1 << 20);
        state.counters["refused"] = refused;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    if (!HeapProbe::Available()) {
        std::fprintf(stderr, "The heap is not counted in this build (sanitizer)\n");
        return 0;
    }
    const QString bombs = QStringLiteral(TARVEL_SOURCE_DIR "/tests/data/bombs/");
    std::vector<Sample> samples = {
        {"screen-65535x65535.gif", bombs + "screen-65535x65535.gif", 65535, 65535},
        {"screen-12000x12000.gif", bombs + "screen-12000x12000.gif", 12000, 12000},
        {"frames-100x16384x16384.gif", bombs + "frames-100x16384x16384.gif", 256, 256},
        {"offscreen-frames.gif", bombs + "offscreen-frames.gif", 256, 256},
        {"empty-16384x16384x24.bmp", bombs + "empty-16384x16384x24.bmp", 16384, 16384},
        {"empty-16384x16384.jpg", bombs + "empty-16384x16384.jpg", 16384, 16384},
    };
    // The RLE size field with 512 MiB of codes behind it, as a sparse file.
    {
        QFile bomb(bombs + "rle8-size-field-4g.bmp");
        const QString path = scratch().filePath(QStringLiteral("rle8-size-field-4g.bmp"));
        if (bomb.open(QIODevice::ReadOnly)) {
            QFile out(path);
            if (out.open(QIODevice::WriteOnly)) out.write(bomb.readAll());
            out.close();
            if (truncate(QFile::encodeName(path).constData(), off_t(512) << 20) == 0)
                samples.push_back({"rle8-size-field-4g.bmp (512 MiB)", path, 64, 64});
        }
    }
    // The shared folder as the tests find it: TARVEL_TESTDATA, else the
    // configured one.
    for (const char* ext : {"bmp", "jpeg", "gif"}) {
        const std::string file = std::string("wuffs/harvesters.") + ext;
        samples.push_back({std::string("harvesters.") + ext,
                           QString::fromStdString(SharedTestPath(file)), 1165, 859,
                           HasSharedTestData(file) ? std::string() : SharedTestDataMissing(file)});
    }
    for (const Sample& sample : samples)
        benchmark::RegisterBenchmark(sample.name.c_str(), BM_ShowFile, sample)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
