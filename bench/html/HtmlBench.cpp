// Start-up with a text file, web engine linked against the plugin design, and
// the time from opening an HTML file to its title in the caption, cold (the
// engine starts) against warm. Each probe is a process of its own, so every
// iteration pays a whole start.
#include <benchmark/benchmark.h>

// Qt
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

/// Runs a probe to its end; returns its wall time in seconds and its output.
double RunProbe(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    process.waitForFinished(60000);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (output) *output = process.readAllStandardOutput();
    return seconds;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

void BM_StartupToFirstPaintWithTextFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString text = WriteFile(dir, QStringLiteral("notes.txt"), QByteArray(20000, 'x'));
    double linked = 0, plugin = 0;
    for (auto _ : state) {
        const double a =
            RunProbe(QStringLiteral(TARVEL_PROBE_LINKED), {QStringLiteral("text"), text});
        const double b =
            RunProbe(QStringLiteral(TARVEL_PROBE_PLUGIN), {QStringLiteral("text"), text});
        linked += a;
        plugin += b;
        state.SetIterationTime(b);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plugin_ms"] = plugin / n * 1e3;
    state.counters["engine_linked_ms"] = linked / n * 1e3;
    state.counters["linked_over_plugin"] = linked / plugin;
}
BENCHMARK(BM_StartupToFirstPaintWithTextFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_OpenHtmlToTitle(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray body = "<p>" + QByteArray(5000, 'y') + "</p>";
    const QString first = WriteFile(dir, QStringLiteral("a.html"), "<title>A</title>" + body);
    const QString second = WriteFile(dir, QStringLiteral("b.html"), "<title>B</title>" + body);
    double cold = 0, warm = 0;
    for (auto _ : state) {
        QByteArray out;
        RunProbe(QStringLiteral(TARVEL_PROBE_PLUGIN), {QStringLiteral("html"), first, second},
                 &out);
        const QList<QByteArray> parts = out.trimmed().split(' ');
        if (parts.size() != 2) {
            state.SkipWithError("probe failed");
            return;
        }
        const double c = parts[0].toDouble() / 1e9, w = parts[1].toDouble() / 1e9;
        cold += c;
        warm += w;
        state.SetIterationTime(w);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["warm_ms"] = warm / n * 1e3;
    state.counters["cold_ms"] = cold / n * 1e3;
    state.counters["cold_over_warm"] = cold / warm;
}
BENCHMARK(BM_OpenHtmlToTitle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
