// The consistency checks of a million-record lexicon, as a ratio to loading
// the same lexicon into a document in the same run: the goal is under 2.
#include "DocumentFixture.h"
#include "RatioReporter.h"
#include "checks/LexChecks.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lex;

// Two languages for every key, a third for six keys in seven: 1,000,000 records.
constexpr int Nodes = 350000;

// Interface texts with the things the checks look at: accelerators,
// placeholders, colons, ellipses; one key in ten a parent.
std::string MakeLexicon() {
    const char* keys[] = {"&File", "Open %s...", "Name:", "Saved %d of %d", " Padded ", "&Help"};
    const char* western[] = {"&Datei",
                             "%s \xF6"
                             "ffnen...",
                             "Name:",
                             "%d von %d",
                             " Rand ",
                             "Hilfe"};
    const char* chinese[] = {
        "\xCE\xC4\xBC\xFE(&F)", "\xB4\xF2\xBF\xAA %s...", "\xC3\xFB:", "%d / %d", " x ",
        "\xB0\xEF\xD6\xFA(&H)"};
    std::vector<TLexRecord> records;
    records.reserve(static_cast<size_t>(Nodes) * 3);
    for (int n = 0; n < Nodes; ++n) {
        const int k = n % 6;
        const std::string key = std::string(keys[k]) + " " + std::to_string(n);
        const std::string parent =
            n % 10 == 0 ? "" : std::string(keys[0]) + " " + std::to_string(n / 10 * 10);
        records.push_back(
            {key, "1252", "0", std::string(western[k]) + " " + std::to_string(n), parent});
        records.push_back(
            {key, "936", "0", std::string(chinese[k]) + " " + std::to_string(n), parent});
        if (n % 7) records.push_back({key, "950", "0", "\xC0\xC9 " + std::to_string(n), parent});
    }
    return lexbench::BinaryLexicon(std::move(records));
}

lexbench::DocumentFixture& Data() {
    static lexbench::DocumentFixture fixture(MakeLexicon());
    return fixture;
}

void Load(benchmark::State& State) {
    lexbench::LoadDocument(State, Data().Lexicon);
}

void Check(benchmark::State& State) {
    for (auto _ : State) {
        const auto findings = CheckLexicon(Data().Document, AllCheckRules());
        benchmark::DoNotOptimize(findings.size());
    }
}

BENCHMARK(Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Check)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return lexbench::RunBenchmarks(argc, argv, [](const lexbench::RatioReporter& R) {
        const double ratio = R.TimeRatio("Check", "Load");
        R.Print("\nChecks of a lexicon of %d nodes (1,000,000 records), every rule\n", Nodes);
        R.Print("%-32s %7.2f   < 2 %s\n", "check time / load time", ratio,
                lexbench::GoalMark(ratio > 0 && ratio < 2));
    });
}
