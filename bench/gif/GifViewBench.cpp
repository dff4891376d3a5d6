// Own
#include "viewers/gif/GifAnimator.h"
#include "viewers/gif/ThreadTimer.h"
#include "viewers/gif/core/GifComposer.h"
#include "viewers/gif/core/GifImage.h"

// Qt
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

// C++
#include <malloc.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// Third party
#include <benchmark/benchmark.h>
#include "BenchMain.h"

// The animation step against a plain blit, and the memory of a looping
// animation against the rasters it must hold. Both are measured in the same
// run as their baseline and reported as ratios.

namespace {

using Clock = std::chrono::steady_clock;

/** Writes GIF bytes: literal codes only, a clear code before the table grows
    past 9-bit codes, so any picture encodes without a real compressor. */
class GifWriter {
public:
    std::vector<uint8_t> bytes;

    GifWriter(int w, int h) {
        put("GIF89a");
        u16(w);
        u16(h);
        add({0xF7, 0, 0});  // 256-entry global table
        for (int i = 0; i < 256; ++i) add({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    }
    void frame(int x, int y, int w, int h, uint8_t seed, int delay, int disposal) {
        add({0x21, 0xF9, 4, uint8_t(disposal << 2), uint8_t(delay), uint8_t(delay >> 8), 0, 0,
             0x2C});
        u16(x);
        u16(y);
        u16(w);
        u16(h);
        bytes.push_back(0);
        bytes.push_back(8);  // code size
        std::vector<uint8_t> data;
        uint32_t acc = 0;
        int bits = 0, sinceClear = 0;
        auto code = [&](uint32_t c) {
            acc |= c << bits;
            bits += 9;
            while (bits >= 8) {
                data.push_back(uint8_t(acc));
                acc >>= 8;
                bits -= 8;
            }
        };
        code(256);
        for (int i = 0; i < w * h; ++i) {
            if (++sinceClear == 254) {
                code(256);
                sinceClear = 1;
            }
            code(uint8_t((i % w + i / w + seed * 13) & 0xFF));
        }
        code(257);
        if (bits) data.push_back(uint8_t(acc));
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            bytes.push_back(uint8_t(n));
            bytes.insert(bytes.end(), data.begin() + long(at), data.begin() + long(at + n));
        }
        bytes.push_back(0);
    }
    void end() { bytes.push_back(0x3B); }

private:
    void put(const char* s) {
        while (*s) bytes.push_back(uint8_t(*s++));
    }
    void u16(int v) { add({uint8_t(v), uint8_t(v >> 8)}); }
    void add(std::initializer_list<uint8_t> b) {
        for (uint8_t v : b) bytes.push_back(v);
    }
};

/** The baseline: a widget that draws one picture of its size. */
class BlitWidget : public QWidget {
public:
    QImage picture;
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, picture);
    }
};

/// Bytes the heap has handed out and not taken back.
double heapInUse() {
    return double(mallinfo2().uordblks);
}

long residentKiB() {
    long kib = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
        std::fclose(f);
    }
    return kib;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One tick of the view on a 1000 x 1000 animation (the next frame drawn onto
// the cached picture, painted through the off-screen picture onto the
// window), beside the repaint of a widget that blits one picture of that size.
void BM_GifStepVersusBlit(benchmark::State& state) {
    const int size = 1000;
    GifWriter gif(size, size);
    for (int i = 0; i < 8; ++i) gif.frame(0, 0, size, size, uint8_t(i), 5, 1);
    gif.end();
    TGIFImage image;
    LoadGif(image, gif.bytes.data(), gif.bytes.size(), true);

    // Both sit in a window of their own, as the view sits in the scroll box.
    QWidget viewHost, blitHost;
    viewHost.resize(size, size);
    blitHost.resize(size, size);
    auto& view = *new TGIFAnimator(&viewHost);
    view.SetImage(image);
    auto& blit = *new BlitWidget;
    blit.setParent(&blitHost);
    blit.picture = QImage(size, size, QImage::Format_RGB32);
    blit.picture.fill(Qt::darkCyan);
    blit.resize(size, size);
    viewHost.show();
    blitHost.show();
    QApplication::processEvents();
    // One loop first: every raster decoded once, as in the steady state.
    for (int i = 0; i < 8; ++i) view.TimerTick(&view.Timer());

    Clock::duration step{}, plain{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        view.TimerTick(&view.Timer());
        const auto t1 = Clock::now();
        blit.repaint();
        const auto t2 = Clock::now();
        step += t1 - t0;
        plain += t2 - t1;
    }
    const double n = double(state.iterations());
    state.counters["step_ms"] = seconds(step) * 1000 / n;
    state.counters["blit_ms"] = seconds(plain) * 1000 / n;
    state.counters["step_per_blit"] = seconds(step) / seconds(plain);
}

// The Qt-free part of the step alone: one full-screen frame drawn onto the
// cached picture, beside copying a picture of that size.
void BM_ComposeStepVersusCopy(benchmark::State& state) {
    const int size = 1000;
    GifWriter gif(size, size);
    for (int i = 0; i < 8; ++i) gif.frame(0, 0, size, size, uint8_t(i), 5, 1);
    gif.end();
    TGIFImage image;
    LoadGif(image, gif.bytes.data(), gif.bytes.size(), true);
    TGIFComposer composer;
    uint32_t key = 0;
    for (int i = 0; i < 8; ++i) composer.ComposeFrame(image, i, true, key);
    std::vector<uint32_t> source(size_t(size) * size, 7), target(source.size());
    int index = 7;
    Clock::duration step{}, copy{};
    for (auto _ : state) {
        index = (index + 1) % 8;
        if (index == 0) composer.ComposeFrame(image, 0, true, key);  // the loop's rebuild
        const auto t0 = Clock::now();
        if (index != 0) benchmark::DoNotOptimize(composer.ComposeFrame(image, index, true, key));
        const auto t1 = Clock::now();
        std::memcpy(target.data(), source.data(), source.size() * 4);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        if (index != 0) step += t1 - t0;
        copy += t2 - t1;
    }
    state.counters["step_per_copy"] = seconds(step) / seconds(copy);
}

// A 300-frame animation looped three times: resident growth against one
// raster per frame plus one composed picture.
void BM_LoopMemory(benchmark::State& state) {
    const int w = 400, h = 300, frames = 300;
    for (auto _ : state) {
        GifWriter gif(w, h);
        for (int i = 0; i < frames; ++i) gif.frame(0, 0, w, h, uint8_t(i), 5, 1);
        gif.end();
        const long before = residentKiB();
        QWidget host;
        host.resize(w, h);
        auto& view = *new TGIFAnimator(&host);
        {
            TGIFImage image;
            LoadGif(image, gif.bytes.data(), gif.bytes.size(), true);
            view.SetImage(image);
        }
        host.show();
        QApplication::processEvents();
        const double heapStart = heapInUse();
        for (int i = 0; i < frames; ++i) view.TimerTick(&view.Timer());
        const double heapOne = heapInUse();
        for (int i = 0; i < 2 * frames; ++i) view.TimerTick(&view.Timer());
        const double heapThree = heapInUse();
        const long afterThree = residentKiB();
        // Rasters are 8 bits per pixel, rows padded to 4 bytes; the composed
        // picture and the off-screen picture have 4 bytes per pixel.
        // Frame 0's raster was decoded by the load, before heapStart.
        const double expected = double(frames - 1) * ((w + 3) / 4 * 4) * h + 2.0 * 4 * w * h;
        state.counters["rss_after_3_loops_MiB"] = double(afterThree) / 1024;
        state.counters["rss_growth_MiB"] = double(afterThree - before) / 1024;
        state.counters["heap_growth_per_expected"] = (heapThree - heapStart) / expected;
        state.counters["heap_growth_loops_2_3_KiB"] = (heapThree - heapOne) / 1024;
    }
}

}  // namespace

BENCHMARK(BM_GifStepVersusBlit)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ComposeStepVersusCopy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoopMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, TBenchPlatform::OffscreenUnlessSet);
}
