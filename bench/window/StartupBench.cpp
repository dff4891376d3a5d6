// Start-up to the first painted picture: the viewer opened on a 1-megapixel
// JPEG against a bare Qt window showing the same file (decoded by Qt's own
// reader), and against the same bare window with one line of text, which
// loads the font database as any window with text does. Each iteration runs
// all three as fresh processes.
#include <benchmark/benchmark.h>

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "../image/PhotoJpeg.h"
#include "BenchMain.h"

namespace {

double run(const QString& mode, const QString& file, const QString& config) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);  // never the user's settings
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TARVEL_STARTUP_PROBE), {mode, file});
    const bool finished = process.waitForFinished(30000);
    const double ms = timer.nsecsElapsed() / 1e6;
    // The probe leaves with 0 only after its first paint: anything else (no
    // display to connect to, a crash) would time a failure as a start-up.
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "startup probe %s failed (exit %d): %s\n", qPrintable(mode),
                     process.exitCode(), process.readAllStandardError().constData());
        std::exit(1);
    }
    return ms;
}

// Runs the bare baselines named and the viewer in turn, each iteration;
// reports each one's mean and the viewer's ratio to each.
void compare(benchmark::State& state, const QString& file, const QString& config,
             const std::vector<std::pair<QString, std::string>>& baselines) {
    std::vector<double> bare(baselines.size(), 0);
    double viewer = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < baselines.size(); ++i)
            bare[i] += run(baselines[i].first, file, config);
        const double v = run(QStringLiteral("viewer"), file, config);
        viewer += v;
        state.SetIterationTime(v / 1000);
    }
    const double n = double(state.iterations());
    state.counters["viewer_ms"] = viewer / n;
    for (size_t i = 0; i < baselines.size(); ++i) {
        state.counters[baselines[i].second + "_ms"] = bare[i] / n;
        state.counters["viewer_over_" + baselines[i].second] = viewer / bare[i];
    }
}

void BM_StartupToFirstPicture(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("photo.jpg"));
    QImage picture(1000, 1000, QImage::Format_RGB32);
    QPainter painter(&picture);
    for (int y = 0; y < 1000; y += 10)
        painter.fillRect(0, y, 1000, 10, QColor::fromHsv((y * 37) % 360, 180, 220));
    painter.end();
    picture.save(file, "JPEG", 90);
    compare(
        state, file, dir.path(),
        {{QStringLiteral("bare"), "bare_qt"}, {QStringLiteral("bare-text"), "bare_qt_with_text"}});
}
BENCHMARK(BM_StartupToFirstPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The same with a 12-megapixel photograph-like JPEG (bench/image/PhotoJpeg.h),
// at actual size in the viewer's first window, whole in the bare one.
void BM_StartupToFirst12MPPicture(benchmark::State& state) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("IMG_0001.JPG"));
    benchphoto::WriteFile(file.toStdString(),
                          benchphoto::PhotoJpeg(4000, 3000, benchphoto::TFamily::Green, 1));
    compare(state, file, dir.path(), {{QStringLiteral("bare"), "bare_qt"}});
}
BENCHMARK(BM_StartupToFirst12MPPicture)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv, TBenchPlatform::AsSet);
}
