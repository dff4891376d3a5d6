// Own
#include "support/TestData.h"
#include "viewers/gif/core/GifImage.h"

// C++
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Third party
#include <benchmark/benchmark.h>
#include <gif_lib.h>

// Each iteration decodes the file with this reader and with giflib, timed
// apart, so both figures come from the same run and the same bytes. Pixels are
// output pixels of every frame decoded.

namespace {

using Clock = std::chrono::steady_clock;

/// The whole file in one read, as LoadFromFile reads it.
std::vector<uint8_t> readFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        bytes.resize(size_t(std::max(0L, std::ftell(f))));
        std::fseek(f, 0, SEEK_SET);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    return bytes;
}

struct MemoryInput {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

int readMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const size_t count = std::min<size_t>(size_t(n), in->bytes->size() - in->pos);
    std::memcpy(out, in->bytes->data() + in->pos, count);
    in->pos += count;
    return int(count);
}

/// giflib's whole-file decode from memory; returns the pixels decoded.
uint64_t decodeWithGiflib(const std::vector<uint8_t>& bytes) {
    MemoryInput input{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, readMemory, &error);
    if (!gif) return 0;
    uint64_t pixels = 0;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i)
            pixels += uint64_t(gif->SavedImages[i].ImageDesc.Width) *
                      uint64_t(gif->SavedImages[i].ImageDesc.Height);
    }
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &error);
    return pixels;
}

/// This reader: the load without decoding, then every frame's raster.
uint64_t decodeWithTarvel(const std::vector<uint8_t>& bytes, double& parseSeconds) {
    TGIFImage image;
    const auto start = Clock::now();
    LoadGif(image, bytes.data(), bytes.size(), false);
    parseSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    uint64_t pixels = 0;
    for (int i = 0; i < image.FrameCount(); ++i) {
        const TBitmap& raster = image.FrameRaster(i);
        benchmark::DoNotOptimize(raster.bits().data());
        pixels += uint64_t(raster.width()) * uint64_t(raster.height());
    }
    return pixels;
}

void BM_DecodeGif(benchmark::State& state, const char* name) {
    // The published figures of other decoders are for these real files.
    if (!HasSharedTestData("wuffs")) {
        state.SkipWithError(SharedTestDataMissing("wuffs").c_str());
        return;
    }
    const std::string path = SharedTestPath(std::string("wuffs/") + name);
    const auto bytes = ReadTestFile(path);
    double ours = 0, theirs = 0, parse = 0, reading = 0;
    uint64_t ourPixels = 0, theirPixels = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(readFile(path).size());
        auto t1 = Clock::now();
        ourPixels += decodeWithTarvel(bytes, parse);
        auto t2 = Clock::now();
        theirPixels += decodeWithGiflib(bytes);
        auto t3 = Clock::now();
        reading += std::chrono::duration<double>(t1 - t0).count();
        ours += std::chrono::duration<double>(t2 - t1).count();
        theirs += std::chrono::duration<double>(t3 - t2).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    const double ourRate = double(ourPixels) / ours;
    const double theirRate = double(theirPixels) / theirs;
    state.counters["tarvel_Mpx/s"] = ourRate / 1e6;
    state.counters["giflib_Mpx/s"] = theirRate / 1e6;
    state.counters["ratio_vs_giflib"] = ourRate / theirRate;
    state.counters["parse_share"] = parse / ours;
    state.counters["file_read_share"] = reading / (ours + reading);
    state.SetLabel(std::to_string(ourRate / theirRate).substr(0, 4) + "x giflib");
}

}  // namespace

BENCHMARK_CAPTURE(BM_DecodeGif, harvesters, "harvesters.gif")->UseManualTime();
BENCHMARK_CAPTURE(BM_DecodeGif, hibiscus_regular, "hibiscus.regular.gif")->UseManualTime();
BENCHMARK_CAPTURE(BM_DecodeGif, hibiscus_primitive, "hibiscus.primitive.gif")->UseManualTime();
BENCHMARK_CAPTURE(BM_DecodeGif, bricks_gray, "bricks-gray.gif")->UseManualTime();
BENCHMARK_CAPTURE(BM_DecodeGif, muybridge_all_frames, "gifplayer-muybridge.gif")->UseManualTime();

BENCHMARK_MAIN();
