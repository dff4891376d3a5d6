// LoadTextFile until the first paint, beside setting the same decoded text
// into a bare QPlainTextEdit and painting it; plus the heap each view holds
// per file byte once loaded. Then a long text's first screen and the filling
// in behind it, with the longest time the event loop waited meanwhile; and
// the peak memory of the longest line the view takes (laid out whole).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "BenchMain.h"
#include "TextBenchData.h"
#include "viewers/text/TextViewer.h"
#include "viewers/text/core/Cp1252.h"
#include "viewers/text/core/TextDecode.h"
#include "viewers/text/core/TextNormalize.h"

namespace {

using Clock = std::chrono::steady_clock;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

struct Sample {
    QString path;
    std::size_t bytes = 0;
    QString decoded;  // what the baseline is handed, ready made
};

const Sample& sample(std::size_t megabytes) {
    static std::map<std::size_t, Sample> samples;
    Sample& s = samples[megabytes];
    if (s.path.isEmpty()) {
        const std::string text = MixedBreakText(megabytes << 20);
        s.path = folder().filePath(QString("text%1.txt").arg(megabytes));
        QFile file(s.path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), qint64(text.size()));
        s.bytes = text.size();
        const std::string normalized = text::NormalizeLineBreaks(text);
        const std::u16string utf16 = text::DecodeCp1252(normalized);
        s.decoded = QString::fromUtf16(utf16.data(), qsizetype(utf16.size()));
    }
    return s;
}

template <class Widget>
std::unique_ptr<Widget> shownWidget() {
    auto widget = std::make_unique<Widget>();
    widget->resize(680, 380);
    widget->show();
    QApplication::processEvents();
    return widget;
}

void BM_LoadUntilFirstPaint(benchmark::State& state) {
    const Sample& s = sample(std::size_t(state.range(0)));
    double viewSeconds = 0, bareSeconds = 0;
    double viewHeap = 0, bareHeap = 0;
    for (auto _ : state) {
        {
            auto bare = shownWidget<QPlainTextEdit>();
            const std::size_t heap0 = HeapInUse();
            auto t0 = Clock::now();
            bare->setPlainText(s.decoded);
            bare->viewport()->repaint();
            bareSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
            bareHeap += double(HeapInUse()) - double(heap0);
        }
        {
            auto memo = shownWidget<TMemo>();
            const std::size_t heap0 = HeapInUse();
            auto t0 = Clock::now();
            memo->LoadTextFile(s.path);
            memo->FinishFilling();
            memo->viewport()->repaint();
            const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
            viewSeconds += seconds;
            viewHeap += double(HeapInUse()) - double(heap0);
            state.SetIterationTime(seconds);
        }
    }
    const double n = double(state.iterations());
    state.counters["bare_ms"] = bareSeconds / n * 1e3;
    state.counters["x_bare_time"] = viewSeconds / bareSeconds;
    state.counters["heap_per_byte"] = viewHeap / n / double(s.bytes);
    state.counters["bare_heap_per_byte"] = bareHeap / n / double(s.bytes);
}
BENCHMARK(BM_LoadUntilFirstPaint)
    ->Arg(10)
    ->Arg(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The first screen of a long text: LoadTextFile and the first paint, while
// the rest is filled in from the event loop. Baselines: the blocking way, the
// whole decoded text set into a bare QPlainTextEdit and painted; and the same
// view decoding every byte as Windows-1252 (the decoding before the locale's
// UTF-8). Also the time until the whole text is in, and the longest turn of
// the event loop meanwhile (what a key press or a repaint may have to wait).
void BM_LongTextFirstScreen(benchmark::State& state) {
    const Sample& s = sample(std::size_t(state.range(0)));
    struct Times {
        double first = 0, full = 0, stall = 0;
    };
    const auto load = [&s](text::TextCharset charset, Times& times) {
        auto memo = shownWidget<TMemo>();
        memo->SetCharset(charset);
        auto t0 = Clock::now();
        memo->LoadTextFile(s.path);
        memo->viewport()->repaint();
        const double first = std::chrono::duration<double>(Clock::now() - t0).count();
        times.first += first;
        double stall = 0;
        while (memo->IsFilling()) {
            auto turn = Clock::now();
            QApplication::processEvents();
            stall = std::max(stall, std::chrono::duration<double>(Clock::now() - turn).count());
        }
        times.full += std::chrono::duration<double>(Clock::now() - t0).count();
        times.stall = std::max(times.stall, stall);
        return first;
    };
    double bareSeconds = 0;
    Times view, eightBit;
    for (auto _ : state) {
        {
            auto bare = shownWidget<QPlainTextEdit>();
            auto t0 = Clock::now();
            bare->setPlainText(s.decoded);
            bare->viewport()->repaint();
            bareSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
        }
        load(text::TextCharset::Windows1252, eightBit);
        state.SetIterationTime(load(text::TextCharset::Utf8, view));
    }
    const double n = double(state.iterations());
    state.counters["first_screen_ms"] = view.first / n * 1e3;
    state.counters["bare_blocking_ms"] = bareSeconds / n * 1e3;
    state.counters["first_over_bare"] = view.first / bareSeconds;
    state.counters["all_in_ms"] = view.full / n * 1e3;
    state.counters["all_in_over_bare"] = view.full / bareSeconds;
    state.counters["longest_turn_ms"] = view.stall * 1e3;
    state.counters["first_over_8bit"] = view.first / eightBit.first;
    state.counters["all_in_over_8bit"] = view.full / eightBit.full;
}
BENCHMARK(BM_LongTextFirstScreen)
    ->Arg(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

/// Resident peak of the process (VmHWM) in bytes; ResetPeak starts it anew.
std::size_t ResidentPeak() {
    std::size_t kib = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %zu", &kib) == 1) break;
        std::fclose(f);
    }
    return kib * 1024;
}
void ResetPeak() {
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

// One line of TMemo::kLineCapacity characters (words of five letters), with
// word wrap on: the view's load, filling in and paint beside the bare
// widget's, their resident peaks, and the longest turn of the event loop.
void BM_LongestLine(benchmark::State& state) {
    static const Sample s = [] {
        Sample line;
        std::string text;
        for (std::size_t i = 0; i < TMemo::kLineCapacity; ++i) text += (i % 6 == 5) ? ' ' : 'a';
        line.path = folder().filePath(QStringLiteral("line.txt"));
        QFile file(line.path);
        file.open(QIODevice::WriteOnly);
        file.write(text.data(), qint64(text.size()));
        line.bytes = text.size();
        line.decoded = QString::fromLatin1(text.data(), qsizetype(text.size()));
        return line;
    }();
    double viewSeconds = 0, bareSeconds = 0, viewPeak = 0, barePeak = 0, stall = 0;
    for (auto _ : state) {
        {
            auto bare = shownWidget<QPlainTextEdit>();
            ResetPeak();
            const std::size_t before = ResidentPeak();
            auto t0 = Clock::now();
            bare->setPlainText(s.decoded);
            bare->viewport()->repaint();
            bareSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
            barePeak += double(ResidentPeak() - before);
        }
        {
            auto memo = shownWidget<TMemo>();
            ResetPeak();
            const std::size_t before = ResidentPeak();
            auto t0 = Clock::now();
            memo->LoadTextFile(s.path);
            memo->viewport()->repaint();
            while (memo->IsFilling()) {
                auto turn = Clock::now();
                QApplication::processEvents();
                memo->viewport()->repaint();
                stall = std::max(stall, std::chrono::duration<double>(Clock::now() - turn).count());
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
            viewSeconds += seconds;
            viewPeak += double(ResidentPeak() - before);
            state.SetIterationTime(seconds);
        }
    }
    const double n = double(state.iterations());
    state.counters["bare_ms"] = bareSeconds / n * 1e3;
    state.counters["x_bare_time"] = viewSeconds / bareSeconds;
    state.counters["longest_turn_ms"] = stall * 1e3;
    state.counters["peak_per_char"] = viewPeak / n / double(s.bytes);
    state.counters["bare_peak_per_char"] = barePeak / n / double(s.bytes);
}
BENCHMARK(BM_LongestLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, TBenchPlatform::Offscreen);
}
