// GB2312 <-> Big5 conversion throughput on a few MB of generated display
// text, against memcpy of the same bytes in the same run. Each conversion
// reports memcpy's MB/s and its own speed as a fraction of it as counters;
// the goal of the tables is 200 MB/s. The conversion by phrases runs beside
// OpenCC itself on the same text in UTF-8: decoding and encoding the code
// pages should cost less than the conversion they wrap.

#include "chinese/PhraseConverter.h"
#include "platform/CodePage.h"
#include "runtime/ChineseGbBig5.h"

#include <SimpleConverter.hpp>
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

template <typename TConvert>
void BM_Convert(benchmark::State& State, const std::string& Text, TConvert Convert) {
    for (auto _ : State) {
        std::string out = Convert(Text);
        benchmark::DoNotOptimize(out.data());
    }
    State.SetBytesProcessed(State.iterations() * Text.size());
}

const lex::TChineseGbBig5 Tables;

// The tables' speed beside memcpy's and the goal.
void ReportAgainstMemcpy(benchmark::State& State, const std::string& Text) {
    // As a rate over the run's own time, Text.size() / memcpy's rate per
    // iteration comes out as this conversion's speed over memcpy's.
    const double memcpyMBps = MemcpyMBps(Text);
    State.counters["memcpy_MB/s"] = memcpyMBps;
    State.counters["of_memcpy"] = benchmark::Counter(Text.size() / (memcpyMBps * 1e6),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    State.counters["goal_MB/s"] = GoalMBps;
}

void BM_GbToBig5(benchmark::State& State) {
    BM_Convert(State, GbText(), [](std::string_view Text) { return Tables.GbToBig5(Text); });
    ReportAgainstMemcpy(State, GbText());
}

void BM_Big5ToGb(benchmark::State& State) {
    BM_Convert(State, Big5Text(), [](std::string_view Text) { return Tables.Big5ToGb(Text); });
    ReportAgainstMemcpy(State, Big5Text());
}

void BM_PhraseGbToBig5(benchmark::State& State) {
    BM_Convert(State, GbText(), lex::PhraseGbToBig5);
}

void BM_PhraseBig5ToGb(benchmark::State& State) {
    BM_Convert(State, Big5Text(), lex::PhraseBig5ToGb);
}

// OpenCC alone on the same text in UTF-8. Its MB/s count UTF-8 bytes, three a
// character against the code pages' two: compare the times.
void BM_OpenCC(benchmark::State& State, const std::string& Text, int CodePage, const char* Config) {
    const opencc::SimpleConverter converter(lex::OpenCCDataDir() + "/" + Config);
    const std::string utf8 = lex::EncodeText(lex::DecodeText(Text, CodePage), 65001);
    BM_Convert(State, utf8, [&](const std::string& In) { return converter.Convert(In); });
}

void BM_OpenCCS2twp(benchmark::State& State) {
    BM_OpenCC(State, GbText(), 936, "s2twp.json");
}

void BM_OpenCCTw2sp(benchmark::State& State) {
    BM_OpenCC(State, Big5Text(), 950, "tw2sp.json");
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GbToBig5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Big5ToGb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PhraseGbToBig5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCCS2twp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhraseBig5ToGb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCCTw2sp)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
