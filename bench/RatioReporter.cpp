#include "RatioReporter.h"

#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <unistd.h>

namespace lexbench {

void RatioReporter::ReportRuns(const std::vector<Run>& Reports) {
    ConsoleReporter::ReportRuns(Reports);
    for (const Run& run : Reports) {
        if (run.error_occurred || run.iterations == 0) continue;
        // With repetitions, the median stands for the benchmark; it comes
        // after the single runs and so replaces them.
        const bool single = run.run_type == Run::RT_Iteration;
        if (!single && run.aggregate_name != "median") continue;
        RunFigures figures;
        const bool wall = base_ == TimeBase::Wall;
        figures.SecondsPerIteration =
            single ? (wall ? run.real_accumulated_time : run.cpu_accumulated_time) /
                         static_cast<double>(run.iterations)
                   : (wall ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) /
                         benchmark::GetTimeUnitMultiplier(run.time_unit);
        if (const auto it = run.counters.find("bytes_per_second"); it != run.counters.end())
            figures.BytesPerSecond = it->second;
        runs_[run.run_name.function_name] = figures;
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    if (table_) table_(*this);
    GetOutputStream().flush();
}

const RunFigures* RatioReporter::Find(std::string_view Name) const {
    const auto it = runs_.find(Name);
    return it == runs_.end() ? nullptr : &it->second;
}

double RatioReporter::TimeRatio(std::string_view A, std::string_view B) const {
    const RunFigures* a = Find(A);
    const RunFigures* b = Find(B);
    return a && b && b->SecondsPerIteration > 0 ? a->SecondsPerIteration / b->SecondsPerIteration
                                                : 0;
}

void RatioReporter::Print(const char* Format, ...) const {
    char line[512];
    va_list args;
    va_start(args, Format);
    std::vsnprintf(line, sizeof line, Format, args);
    va_end(args);
    GetOutputStream() << line;
}

const char* GoalMark(bool Met) {
    return Met ? "met" : "MISSED";
}

int RunBenchmarks(int argc, char** argv, RatioReporter::TablePrinter Table,
                  RatioReporter::TimeBase Base) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Colour only on a terminal, as Google Benchmark's own reporter does.
    RatioReporter reporter(std::move(Table),
                           isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular,
                           Base);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace lexbench
