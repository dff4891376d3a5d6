// Line-break normalisation (count pass + fill pass into one buffer of the
// final size; the buffer is reused across runs) on 50 MB of mixed breaks, beside memcpy of the same
// bytes; and decoding the same bytes.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>

#include "TextBenchData.h"
#include "viewers/text/core/Cp1252.h"
#include "viewers/text/core/TextDecode.h"
#include "viewers/text/core/TextNormalize.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string& input() {
    static const std::string text = MixedBreakText(50u << 20);
    return text;
}

void BM_NormalizeVsMemcpy(benchmark::State& state) {
    const std::string& in = input();
    std::string copy(in.size(), '\0');
    // Both write into buffers touched before, so page faults count for neither.
    std::string out(text::NormalizedLength(in.data(), in.size()), '\0');
    double normalizeSeconds = 0, memcpySeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::memcpy(copy.data(), in.data(), in.size());
        benchmark::ClobberMemory();
        auto t1 = Clock::now();
        const std::size_t length = text::NormalizedLength(in.data(), in.size());
        text::NormalizeLineBreaks(in.data(), in.size(), out.data(), length);
        benchmark::DoNotOptimize(out.data());
        auto t2 = Clock::now();
        memcpySeconds += std::chrono::duration<double>(t1 - t0).count();
        normalizeSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(in.size()));
    state.counters["memcpy_MBps"] = in.size() * state.iterations() / memcpySeconds / 1e6;
    state.counters["x_memcpy_time"] = normalizeSeconds / memcpySeconds;
}
BENCHMARK(BM_NormalizeVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// Decoding 50 MB through UTF-8 (the locale's charset; this text's 8-bit
// letters are ill-formed there and fall back byte by byte) beside decoding
// every byte as Windows-1252, and beside memcpy.
void BM_DecodeVsMemcpy(benchmark::State& state) {
    const std::string& in = input();
    std::u16string out(in.size(), u'\0');
    std::string copy(in.size(), '\0');
    double decodeSeconds = 0, eightBitSeconds = 0, memcpySeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        std::memcpy(copy.data(), in.data(), in.size());
        benchmark::ClobberMemory();
        auto t1 = Clock::now();
        text::DecodeCp1252(in.data(), in.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        auto t2 = Clock::now();
        text::DecodeText(text::TextCharset::Utf8, in.data(), in.size(), out.data());
        benchmark::DoNotOptimize(out.data());
        auto t3 = Clock::now();
        memcpySeconds += std::chrono::duration<double>(t1 - t0).count();
        eightBitSeconds += std::chrono::duration<double>(t2 - t1).count();
        decodeSeconds += std::chrono::duration<double>(t3 - t2).count();
        state.SetIterationTime(std::chrono::duration<double>(t3 - t2).count());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(in.size()));
    state.counters["x_memcpy_time"] = decodeSeconds / memcpySeconds;
    state.counters["x_8bit_time"] = decodeSeconds / eightBitSeconds;
}
BENCHMARK(BM_DecodeVsMemcpy)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
