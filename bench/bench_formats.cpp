// Reading and writing a million-record lexicon in each file format, against
// memcpy of the same number of bytes.

#include "LexiconGenerator.h"
#include "RatioReporter.h"
#include "platform/Streams.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexFormat.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <string>

namespace {

using lexbench::GeneratedLexicon;
using lexbench::GeneratedLexReader;

struct Format {
    const char* Name;
    std::unique_ptr<lex::ILexReader> (*Open)(std::string Bytes);
    void (*Write)(lex::ILexReader& Reader, lex::OutputStream& Stream);
    double ReadGoalMBps;
    std::string File; // what Write makes of the generated lexicon
};

template <typename Reader>
std::unique_ptr<lex::ILexReader> Open(std::string Bytes) {
    return std::make_unique<Reader>(std::move(Bytes));
}

Format Formats[] = {
    {"binary",
     Open<lex::TBinaryStreamLexReader>,
     [](lex::ILexReader& r, lex::OutputStream& s) { lex::WriteBinaryLex(r, s); },
     300,
     {}},
    {"csv",
     Open<lex::TTextCSVStreamLexReader>,
     [](lex::ILexReader& r, lex::OutputStream& s) {
         lex::WriteTextLex(r, s, lex::EscapeCSV, ',', '"');
     },
     150,
     {}},
    {"form",
     Open<lex::TTextDFMStreamLexReader>,
     [](lex::ILexReader& r, lex::OutputStream& s) {
         lex::WriteTextLex(r, s, lex::EscapeDFM, ',', '"');
     },
     150,
     {}},
};
constexpr double WriteGoalMBps = 300;

std::string Name(const char* Action, const Format& F) {
    return std::string(Action) + "/" + F.Name;
}

void SetBytes(benchmark::State& State, const Format& F) {
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) *
                            static_cast<int64_t>(F.File.size()));
}

void BM_Read(benchmark::State& State, const Format& F, size_t Records) {
    size_t seen = 0;
    for (auto _ : State) {
        // The copy is part of the cost: a reader owns the bytes it walks.
        const std::unique_ptr<lex::ILexReader> reader = F.Open(F.File);
        const int fields = reader->FieldCount();
        seen = 0;
        size_t touched = 0;
        for (reader->First(); !reader->Eof(); reader->Next()) {
            for (int i = 0; i < fields; ++i) {
                const std::string_view v = reader->FieldValue(i);
                touched += v.size() + (v.empty() ? 0 : static_cast<unsigned char>(v[0]));
            }
            ++seen;
        }
        benchmark::DoNotOptimize(touched);
    }
    if (seen != Records) State.SkipWithError("the reader did not return every record");
    SetBytes(State, F);
}

void BM_Write(benchmark::State& State, const Format& F, const GeneratedLexicon& Lexicon) {
    std::string out;
    out.reserve(F.File.size()); // growing the target is the stream's cost, not the writer's
    for (auto _ : State) {
        out.clear();
        GeneratedLexReader reader(Lexicon);
        lex::StringOutputStream stream(out);
        F.Write(reader, stream);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != F.File) State.SkipWithError("the writer's output changed between runs");
    SetBytes(State, F);
}

void BM_Memcpy(benchmark::State& State, const Format& F) {
    std::string target(F.File.size(), '\0');
    for (auto _ : State) {
        std::memcpy(target.data(), F.File.data(), F.File.size());
        benchmark::ClobberMemory();
    }
    SetBytes(State, F);
}

void PrintTable(const lexbench::RatioReporter& R) {
    R.Print("\nLexicon formats, %zu records (MB = 10^6 bytes; x memcpy = time over that of a "
            "memcpy of as many bytes)\n",
            lexbench::DefaultRecordCount);
    R.Print("%-8s %8s | %10s %9s  %-13s | %10s %9s  %-13s\n", "format", "file MB", "read MB/s",
            "x memcpy", "goal", "write MB/s", "x memcpy", "goal");
    for (const Format& f : Formats) {
        const auto mbps = [&R](const std::string& name) {
            const lexbench::RunFigures* run = R.Find(name);
            return run ? run->BytesPerSecond / 1e6 : 0.0;
        };
        const double read = mbps(Name("read", f)), write = mbps(Name("write", f));
        R.Print("%-8s %8.1f | %10.0f %9.1f  >= %3.0f %-6s | %10.0f %9.1f  >= %3.0f %-6s\n", f.Name,
                f.File.size() / 1e6, read, R.TimeRatio(Name("read", f), Name("memcpy", f)),
                f.ReadGoalMBps, lexbench::GoalMark(read >= f.ReadGoalMBps), write,
                R.TimeRatio(Name("write", f), Name("memcpy", f)), WriteGoalMBps,
                lexbench::GoalMark(write >= WriteGoalMBps));
    }
}

} // namespace

int main(int argc, char** argv) {
    const GeneratedLexicon lexicon(lexbench::DefaultRecordCount);
    for (Format& f : Formats) {
        GeneratedLexReader reader(lexicon);
        lex::StringOutputStream stream(f.File);
        f.Write(reader, stream);
    }
    for (const Format& f : Formats) {
        benchmark::RegisterBenchmark(Name("read", f).c_str(), BM_Read, std::cref(f), lexicon.Size())
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark(Name("write", f).c_str(), BM_Write, std::cref(f),
                                     std::cref(lexicon))
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark(Name("memcpy", f).c_str(), BM_Memcpy, std::cref(f))
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    }
    return lexbench::RunBenchmarks(argc, argv, PrintTable);
}
