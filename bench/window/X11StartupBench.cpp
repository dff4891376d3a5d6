// Start-up under a real X server: each program is started afresh on Xvfb with
// a window manager (openbox), and timed from its start to
//   mapped:  its top-level window is mapped on the screen (the window
//            manager's frame, or the window itself without a frame), and
//   painted: the pixel at the centre of its window, read back from the
//            server, shows the picture.
// The picture is made so that every pixel of it is a strong green that no
// part of a window's chrome has, so one pixel read tells "picture" from
// "background" soundly. Runs are interleaved (baseline, viewer, baseline,
// ...) and the medians are reported with their ratios.
//
// Cases: the viewer on a 1-megapixel JPEG against a bare Qt window (QLabel +
// QImage) showing the same file, and against the same with one line of text;
// the viewer started on an HTML page against a bare QWebEngineView showing it.
//
// Needs Xvfb and openbox on the PATH; skips without them. TARVEL_VIEWER in
// the environment names another build of the viewer to time instead.
#include <benchmark/benchmark.h>

// Qt (before Xlib, whose macros clash with Qt's names)
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

// System
#include <unistd.h>

// Benchmark harness (after Qt: Xlib's macros)
#include "XSession.h"

// C++
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>
#include "BenchMain.h"

namespace {

using namespace xbench;

TXSession& session() {
    static TXSession s;
    return s;
}

struct Times {
    double mapped = -1;
    double painted = -1;
};

/// Starts argv, waits until its window's centre shows the picture, ends it.
Times Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env) {
    TXProgram program(session(), argv, env);
    Times times;
    times.painted = program.WaitForColour(TColour::Green, program.StartTime());
    times.mapped = program.MappedMs();
    return times;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

/// A 1000 x 1000 photograph-like JPEG (texture and noise, about 90 quality)
/// whose every pixel is in the picture's colour family.
std::string picture() {
    static std::string path;
    if (!path.empty()) return path;
    QImage image(1000, 1000, QImage::Format_RGB32);
    std::mt19937 rng(17);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(rng() % 40);
            const int g = 170 + (x * 7 + y * 3) % 50 + noise / 2;
            const int r = (x / 4 + y / 9) % 50 + noise / 4;
            const int b = (y / 5) % 60 + noise / 3;
            line[x] = qRgb(r, std::min(g, 255), b);
        }
    }
    path = folder().filePath(QStringLiteral("IMG_0001.jpg")).toStdString();
    image.save(QString::fromStdString(path), "JPEG", 90);
    return path;
}

std::string page() {
    static std::string path;
    if (!path.empty()) return path;
    path = folder().filePath(QStringLiteral("index.html")).toStdString();
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(
        "<!DOCTYPE html><html><head><title>Start</title></head>"
        "<body style=\"background:#20c030;margin:0\"><p>A page.</p></body></html>");
    return path;
}

const std::map<std::string, std::string>& probeEnvironment() {
    static const std::map<std::string, std::string> env = [] {
        std::map<std::string, std::string> made;
        made.emplace("XDG_CONFIG_HOME", folder().filePath(QStringLiteral("config")).toStdString());
        // The same engine settings for the viewer and the bare view: the
        // viewer adds these itself under Xvfb and as root.
        made.emplace("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --log-level=3");
        if (::geteuid() == 0) made.emplace("QTWEBENGINE_DISABLE_SANDBOX", "1");
        return made;
    }();
    return env;
}

/// Interleaves baseline and viewer runs; one untimed run of each first
/// fills the page cache for both.
void compare(benchmark::State& state, const std::vector<std::string>& baseline,
             const std::vector<std::string>& viewer) {
    if (!session().Ok()) {
        state.SkipWithError(session().Error().c_str());
        return;
    }
    const auto& env = probeEnvironment();
    Run(baseline, env);
    Run(viewer, env);
    std::vector<double> bm, bp, vm, vp;
    for (auto _ : state) {
        const auto b = Run(baseline, env);
        const auto v = Run(viewer, env);
        if (b.painted < 0 || v.painted < 0) {
            state.SkipWithError(b.painted < 0 ? "the baseline never showed its picture"
                                              : "the viewer never showed its picture");
            return;
        }
        bm.push_back(b.mapped);
        bp.push_back(b.painted);
        vm.push_back(v.mapped);
        vp.push_back(v.painted);
        state.SetIterationTime(v.painted / 1000);
    }
    state.counters["viewer_mapped_ms"] = Median(vm);
    state.counters["viewer_painted_ms"] = Median(vp);
    state.counters["bare_mapped_ms"] = Median(bm);
    state.counters["bare_painted_ms"] = Median(bp);
    state.counters["mapped_over_bare"] = Median(vm) / Median(bm);
    state.counters["painted_over_bare"] = Median(vp) / Median(bp);
}

std::string viewer() {
    const char* other = std::getenv("TARVEL_VIEWER");
    return other && *other ? other : TARVEL_VIEWER;
}

void BM_X11StartupJpeg(benchmark::State& state) {
    compare(state, {TARVEL_BARE_WINDOW_PROBE, picture()}, {viewer(), picture()});
}
BENCHMARK(BM_X11StartupJpeg)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// Against the same bare window with one line of text, which loads the font
// list and a font as every window with text does.
void BM_X11StartupJpegAgainstBareWithText(benchmark::State& state) {
    compare(state, {TARVEL_BARE_WINDOW_PROBE, picture(), "--text"}, {viewer(), picture()});
}
BENCHMARK(BM_X11StartupJpegAgainstBareWithText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

#ifdef TARVEL_BARE_WEB_PROBE
void BM_X11StartupHtml(benchmark::State& state) {
    compare(state, {TARVEL_BARE_WEB_PROBE, page()}, {viewer(), page()});
}
BENCHMARK(BM_X11StartupHtml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv, TBenchPlatform::AsSet);
}
