// GB2312 <-> Big5 conversion throughput on a few MB of generated display
// text, against memcpy of the same bytes in the same run. Each conversion
// reports memcpy's MB/s and its own speed as a fraction of it as counters;
// the goal is 200 MB/s.

#include "runtime/ChineseGbBig5.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t TextSize = 4 << 20;
constexpr double GoalMBps = 200;

// Mostly frequent ideographs in runs of a few, then punctuation or a short
// ASCII token, as in menu and message texts; the ideographs are drawn from the
// set's first level, where display texts live.
template <typename TChar>
std::string MakeText(TChar RandomChar, const char* Punctuation) {
    std::mt19937 random(936950);
    const char* words[] = {" ", "OK", " %s ", "v1.0", "\n", "(&F)", "...", "Lex Manager"};
    std::string text;
    text.reserve(TextSize + 64);
    while (text.size() < TextSize) {
        for (int n = 1 + random() % 6; n > 0; --n)
            RandomChar(random, text);
        if (random() % 3 == 0)
            text += words[random() % std::size(words)];
        else
            text += Punctuation;
    }
    text.resize(TextSize - TextSize % 2);
    return text;
}

const std::string& GbText() {
    static const std::string text = MakeText(
        [](std::mt19937& r, std::string& s) {
            s += static_cast<char>(0xB0 + r() % 40); // B0..D7
            s += static_cast<char>(0xA1 + r() % 94);
        },
        "\xA3\xAC");
    return text;
}

const std::string& Big5Text() {
    static const std::string text = MakeText(
        [](std::mt19937& r, std::string& s) {
            const int column = r() % 157;
            s += static_cast<char>(0xA4 + r() % 35); // A4..C6
            s += static_cast<char>(column < 63 ? 0x40 + column : 0xA1 + column - 63);
        },
        "\xA1\x41");
    return text;
}

double MemcpyMBps(const std::string& Text) {
    std::vector<char> target(Text.size());
    double best = 0;
    for (int run = 0; run < 20; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(target.data(), Text.data(), Text.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::max(best, Text.size() / took.count() / 1e6);
    }
    return best;
}

void BM_Memcpy(benchmark::State& State) {
    const std::string& text = GbText();
    std::vector<char> target(text.size());
    for (auto _ : State) {
        std::memcpy(target.data(), text.data(), text.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(State.iterations() * text.size());
}

template <std::string (lex::TChineseGbBig5::*Convert)(std::string_view) const>
void BM_Convert(benchmark::State& State, const std::string& Text) {
    const lex::TChineseGbBig5 converter;
    for (auto _ : State) {
        std::string out = (converter.*Convert)(Text);
        benchmark::DoNotOptimize(out.data());
    }
    State.SetBytesProcessed(State.iterations() * Text.size());
    // As a rate over the run's own time, Text.size() / memcpy's rate per
    // iteration comes out as this conversion's speed over memcpy's.
    const double memcpyMBps = MemcpyMBps(Text);
    State.counters["memcpy_MB/s"] = memcpyMBps;
    State.counters["of_memcpy"] = benchmark::Counter(Text.size() / (memcpyMBps * 1e6),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    State.counters["goal_MB/s"] = GoalMBps;
}

void BM_GbToBig5(benchmark::State& State) {
    BM_Convert<&lex::TChineseGbBig5::GbToBig5>(State, GbText());
}

void BM_Big5ToGb(benchmark::State& State) {
    BM_Convert<&lex::TChineseGbBig5::Big5ToGb>(State, Big5Text());
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GbToBig5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Big5ToGb)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
