#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lexbench {

struct RunFigures {
    double SecondsPerIteration = 0;
    double BytesPerSecond = 0; // 0 when the benchmark set no byte count
};

// Prints Google Benchmark's usual console output, keeps each run's figures by
// name, and after the last run hands them to a table printer: speed is judged
// as ratios between runs of the same process, never as absolute times.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using TablePrinter = std::function<void(const RatioReporter&)>;
    // CPU time by default: other processes on the machine then stretch the
    // figures less. Wall time where the work happens in another process (a
    // database server) or waits on the disk.
    enum class TimeBase { Cpu, Wall };
    RatioReporter(TablePrinter Table, OutputOptions Options, TimeBase Base = TimeBase::Cpu)
        : ConsoleReporter(Options), table_(std::move(Table)), base_(Base) {}

    void ReportRuns(const std::vector<Run>& Reports) override;
    void Finalize() override;

    // Figures of the benchmark registered under Name, or null if it did not run.
    const RunFigures* Find(std::string_view Name) const;
    // Seconds per iteration of A divided by those of B; 0 if either is missing.
    double TimeRatio(std::string_view A, std::string_view B) const;

    // printf into the reporter's output stream.
    [[gnu::format(printf, 2, 3)]] void Print(const char* Format, ...) const;

private:
    TablePrinter table_;
    TimeBase base_;
    std::map<std::string, RunFigures, std::less<>> runs_;
};

// "met" or "MISSED", for a goal column.
const char* GoalMark(bool Met);

// Initialises Google Benchmark from the command line, runs every registered
// benchmark through a RatioReporter and prints the table. Returns the exit code.
int RunBenchmarks(int argc, char** argv, RatioReporter::TablePrinter Table,
                  RatioReporter::TimeBase Base = RatioReporter::TimeBase::Cpu);

} // namespace lexbench
