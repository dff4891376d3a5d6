// Still image benchmarks. Each figure is timed beside its baseline in the
// same iteration; the "ratio" counter is ours / baseline (below 1: faster).

// C
#include <cstdio>

// libjpeg
#include <jpeglib.h>

// Qt
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QWidget>

// C++
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

// Benchmark
#include <benchmark/benchmark.h>

// Project
#include "BenchMain.h"
#include "base/Bitmap.h"
#include "image/IccTestSupport.h"
#include "image/ImageTestSupport.h"
#include "support/TestData.h"
#include "viewers/image/BitmapImage.h"
#include "viewers/image/ImageView.h"
#include "viewers/image/ScrollBox.h"
#include "viewers/image/StillPictureControl.h"
#include "viewers/image/core/BmpReader.h"
#include "viewers/image/core/ImageFile.h"
#include "viewers/image/core/JpegImage.h"

namespace {

using Clock = std::chrono::steady_clock;

// The path of a shared real-world file, or "" after skipping the benchmark.
std::string Wuffs(benchmark::State& state, const char* name) {
    if (HasSharedTestData("wuffs")) return SharedTestPath(std::string("wuffs/") + name);
    state.SkipWithError(SharedTestDataMissing("wuffs").c_str());
    return {};
}

template <class F>
double Seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs ours and the baseline once per iteration; the reported time is ours.
template <class Ours, class Baseline>
void SideBySide(benchmark::State& state, Ours&& ours, Baseline&& baseline) {
    double oursTotal = 0, baselineTotal = 0;
    for (auto _ : state) {
        const double a = Seconds(ours);
        baselineTotal += Seconds(baseline);
        oursTotal += a;
        state.SetIterationTime(a);
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = 1000 * oursTotal / n;
    state.counters["baseline_ms"] = 1000 * baselineTotal / n;
    state.counters["ratio"] = oursTotal / baselineTotal;
}

void BM_BmpLoad_vs_QImageReader(benchmark::State& state) {
    const std::string path = Wuffs(state, "harvesters.bmp");
    if (path.empty()) return;
    SideBySide(
        state, [&] { benchmark::DoNotOptimize(TBmpReader::ReadFile(path)); },
        [&] { benchmark::DoNotOptimize(QImageReader(QString::fromStdString(path)).read()); });
}
BENCHMARK(BM_BmpLoad_vs_QImageReader)->UseManualTime()->Unit(benchmark::kMillisecond);

// Ours up to a drawable QImage, as the control does once per load.
void BM_BmpLoadToImage_vs_QImageReader(benchmark::State& state) {
    const std::string path = Wuffs(state, "harvesters.bmp");
    if (path.empty()) return;
    SideBySide(
        state, [&] { benchmark::DoNotOptimize(BitmapToImage(TBmpReader::ReadFile(path))); },
        [&] { benchmark::DoNotOptimize(QImageReader(QString::fromStdString(path)).read()); });
}
BENCHMARK(BM_BmpLoadToImage_vs_QImageReader)->UseManualTime()->Unit(benchmark::kMillisecond);

// libjpeg with all its defaults (integer inverse DCT, RGB output) over the
// same bytes in memory.
std::vector<uint8_t> PlainLibjpegDecode(const std::vector<uint8_t>& bytes) {
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&c, TRUE);
    jpeg_start_decompress(&c);
    const size_t stride = size_t(c.output_width) * size_t(c.output_components);
    std::vector<uint8_t> pixels(stride * c.output_height);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = pixels.data() + stride * c.output_scanline;
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return pixels;
}

void BM_JpegLoadAndDecode_vs_PlainLibjpeg(benchmark::State& state) {
    const std::string path = Wuffs(state, "harvesters.jpeg");
    if (path.empty()) return;
    SideBySide(
        state,
        [&] {
            TJPEGImage jpeg;
            jpeg.LoadFromFile(path);
            benchmark::DoNotOptimize(jpeg.Pixels());
        },
        [&] { benchmark::DoNotOptimize(PlainLibjpegDecode(TImageFile::ReadAll(path))); });
}
BENCHMARK(BM_JpegLoadAndDecode_vs_PlainLibjpeg)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 12-megapixel photograph with an Adobe RGB profile: the decode with the
// conversion to sRGB beside the same decode of the same file without its
// profile.
void BM_JpegDecodeWithProfile_vs_DecodeAlone(benchmark::State& state) {
    static const std::vector<uint8_t> plain =
        EncodeJpeg(4000, 3000, 3, JCS_RGB, [](int x, int y, uint8_t* p) {
            p[0] = uint8_t(128 + 100 * std::sin(x * 0.01) + (x * y % 17));
            p[1] = uint8_t((x + y) / 28);
            p[2] = uint8_t(128 + 90 * std::cos(y * 0.013) + (x % 11));
        });
    static const std::vector<uint8_t> profiled =
        WithIccProfile(plain, SavedProfile(AdobeRgbProfile()));
    const auto decode = [](const std::vector<uint8_t>& bytes) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(jpeg.Pixels());
    };
    SideBySide(
        state, [&] { decode(profiled); }, [&] { decode(plain); });
}
BENCHMARK(BM_JpegDecodeWithProfile_vs_DecodeAlone)->UseManualTime()->Unit(benchmark::kMillisecond);

// A synthetic 4000 x 3000 photograph-like picture (smooth gradients and
// texture), encoded once with libjpeg at quality 85.
const QString& LargeJpegPath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const std::vector<uint8_t> bytes = EncodeJpeg(
            4000, 3000, 3, JCS_RGB,
            [](int x, int y, uint8_t* p) {
                p[0] = uint8_t(128 + 100 * std::sin(x * 0.01) + (x * y % 17));
                p[1] = uint8_t((x + y) / 28);
                p[2] = uint8_t(128 + 90 * std::cos(y * 0.013) + (x % 11));
            },
            [](jpeg_compress_struct& c) { jpeg_set_quality(&c, 85, TRUE); });
        const QString file = dir.filePath(QStringLiteral("large.jpg"));
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return file;
    }();
    return path;
}

// The bare baseline: a widget that draws an already decoded QImage.
class BareImageWidget : public QWidget {
public:
    explicit BareImageWidget(QImage image, bool stretch)
        : image_(std::move(image)), stretch_(stretch) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (stretch_) {
            const QSize fitted = image_.size().scaled(size(), Qt::KeepAspectRatio);
            p.drawImage(QRect(QPoint(0, 0), fitted), image_);
        } else {
            p.drawImage(QPoint(0, 0), image_);
        }
    }

private:
    QImage image_;
    bool stretch_;
};

void FirstFrame(benchmark::State& state, bool stretch) {
    const QString path = LargeJpegPath();
    const QImage decoded(path);
    const QSize screen(1280, 800);
    SideBySide(
        state,
        [&] {
            QWidget page;
            page.resize(screen);
            auto* view = new TImageView(&page);
            if (stretch) view->StretchToFit();
            page.show();
            view->LoadPictureFile(path);
            benchmark::DoNotOptimize(view->sbImage()->viewport()->grab());
        },
        [&] {
            QScrollArea area;
            area.resize(screen);
            auto* widget = new BareImageWidget(decoded, stretch);
            if (stretch) {
                area.setWidgetResizable(true);
            } else {
                widget->resize(decoded.size());
            }
            area.setWidget(widget);
            area.show();
            benchmark::DoNotOptimize(area.viewport()->grab());
        });
    state.SetLabel(stretch ? "12 MP JPEG, stretch" : "12 MP JPEG, actual size");
}

void BM_FirstFrameActualSize_vs_BareWidget(benchmark::State& state) {
    FirstFrame(state, false);
}
void BM_FirstFrameStretch_vs_BareWidget(benchmark::State& state) {
    FirstFrame(state, true);
}
BENCHMARK(BM_FirstFrameActualSize_vs_BareWidget)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFrameStretch_vs_BareWidget)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarks<QApplication>(argc, argv, TBenchPlatform::OffscreenUnlessSet);
}
