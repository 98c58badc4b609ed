// Saving an editor's lexicon into a table: the first save into an empty
// table and the re-save of a bound editor after 1% of its values changed,
// against reading the whole table back, on the embedded SQLite database and,
// when LEX_TEST_PGSQL names a server, on PostgreSQL. Times are wall times.
#include "RatioReporter.h"
#include "database/SQLClientDataSet.h"
#include "database/SQLConnection.h"
#include "editor/LexDocument.h"
#include "platform/CodePageCatalog.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/RecordListLexReader.h"
#include "runtime/RuntimeModules.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using namespace lex;

constexpr int Records = 100'000;
constexpr int Languages = 2;
const char* const CodePages[Languages] = {"1252", "936"};

struct Backend {
    std::string Name;
    TDBSettings Settings;
    std::string Table;
    std::unique_ptr<TSQLConnection> Admin = std::make_unique<TSQLConnection>();
    std::unique_ptr<TSQLClientDataSet> Data = std::make_unique<TSQLClientDataSet>();
    TLexDocument Document;
    int Round = 0;

    Backend(std::string BackendName, TDBSettings DBSettings)
        : Name(std::move(BackendName)), Settings(std::move(DBSettings)),
          Table("lexbench_" + std::to_string(getpid())) {
        ConfigureConnection(*Admin, Settings);
        Admin->ExecuteDirect("create table " + Table +
                             " (LEXKEY varchar(200) not null, CODEPAGE int not null, SEQNO int "
                             "not null, DISPLAYVALUE varchar(200) not null, CATALOGID "
                             "varchar(200) not null, primary key (LEXKEY, CODEPAGE, SEQNO))");
        ConfigureConnection(Data->Connection(), Settings);
        std::vector<TLexRecord> records;
        for (int n = 0; n < Records / Languages; ++n) {
            const std::string key = "Key number " + std::to_string(n);
            const std::string parent = n % 10 ? "Key number " + std::to_string(n - n % 10) : "";
            records.push_back({key, CodePages[0], "0", "Value of " + key, parent});
            records.push_back({key, CodePages[1], "0", "\xD6\xB5 " + key, parent});
        }
        TRecordListLexReader reader({"LexKey", "CodePage", "SeqNo", "DisplayValue", "CatalogID"},
                                    std::move(records));
        Document.LoadFromReader(reader);
        Data->Open(Table);
        Save(); // the table the reading and the re-save start from
    }
    ~Backend() { Admin->ExecuteDirect("drop table " + Table); }

    TApplyCounts Save() {
        return Document.SaveToTable(
            *Data,
            [this](const TLexProgressEvent& Progress) { return Data->ApplyUpdates(Progress); },
            false, {});
    }
    // Every hundredth node's first value, different each round.
    void ChangeOnePercent() {
        ++Round;
        const TLexTree& tree = Document.Tree();
        int n = 0;
        for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            if (n++ % (100 / Languages) == 0)
                Document.SetNodeValue(node, 1, "Changed " + std::to_string(Round));
    }
};

std::vector<std::unique_ptr<Backend>>& Backends() {
    static std::vector<std::unique_ptr<Backend>> backends;
    return backends;
}

void Read(benchmark::State& State, Backend* B) {
    for (auto _ : State) {
        B->Data->Open(B->Table);
        TDBLexReader reader(*B->Data);
        size_t bytes = 0;
        for (reader.First(); !reader.Eof(); reader.Next())
            for (int i = 0; i < reader.FieldCount(); ++i)
                bytes += reader.FieldValue(i).size();
        benchmark::DoNotOptimize(bytes);
    }
    State.SetItemsProcessed(State.iterations() * Records);
}

void FirstSave(benchmark::State& State, Backend* B) {
    for (auto _ : State) {
        State.PauseTiming();
        B->Admin->ExecuteDirect("delete from " + B->Table);
        B->Data->Open(B->Table);
        State.ResumeTiming();
        if (B->Save().Inserted != Records) State.SkipWithError("not every record was appended");
    }
    State.SetItemsProcessed(State.iterations() * Records);
}

// The Save of a bound editor: compared with the rows its dataset holds.
void Resave(benchmark::State& State, Backend* B) {
    B->Data->Open(B->Table);
    for (auto _ : State) {
        State.PauseTiming();
        B->ChangeOnePercent();
        State.ResumeTiming();
        if (B->Save().Updated != Records / 100) State.SkipWithError("not 1% updated");
    }
}

TDBSettings PostgresSettings(const char* Server) {
    TDBSettings settings;
    std::string text(Server);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        if (end > start) settings.Params.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    settings.Params.push_back("DriverName=PostgreSQL");
    return settings;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const RuntimeModules modules;
    InitializeCodePageList();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("lexbench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    TDBSettings sqlite;
    sqlite.Params = {"DriverName=SQLite", "Database=" + (folder / "bench.db").string()};
    Backends().push_back(std::make_unique<Backend>("SQLite", sqlite));
    if (const char* server = std::getenv("LEX_TEST_PGSQL"); server && *server)
        Backends().push_back(std::make_unique<Backend>("PostgreSQL", PostgresSettings(server)));

    const auto ms = benchmark::kMillisecond;
    for (const auto& b : Backends()) {
        benchmark::RegisterBenchmark(("read/" + b->Name).c_str(), Read, b.get())
            ->Unit(ms)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("first save/" + b->Name).c_str(), FirstSave, b.get())
            ->Unit(ms)
            ->UseRealTime()
            ->Iterations(3);
        benchmark::RegisterBenchmark(("re-save 1%/" + b->Name).c_str(), Resave, b.get())
            ->Unit(ms)
            ->UseRealTime()
            ->Iterations(5);
    }
    const auto table = [](const lexbench::RatioReporter& R) {
        R.Print("\nSaving %d records (%d keys in %d languages) into a table\n", Records,
                Records / Languages, Languages);
        R.Print("%-34s %9s   goal\n", "", "figure");
        for (const auto& b : Backends()) {
            const double resave = R.TimeRatio("re-save 1%/" + b->Name, "read/" + b->Name);
            R.Print("%-34s %9.2f   <= 1.5 %s\n", ("re-save 1% / read, " + b->Name).c_str(), resave,
                    lexbench::GoalMark(resave > 0 && resave <= 1.5));
            const lexbench::RunFigures* first = R.Find("first save/" + b->Name);
            const double rate = first ? Records / first->SecondsPerIteration : 0;
            if (b->Name == "SQLite")
                R.Print("%-34s %9.0f   >= 20000 %s\n", "first save, rows/s, SQLite", rate,
                        lexbench::GoalMark(rate >= 20000));
            else
                R.Print("%-34s %9.0f\n", ("first save, rows/s, " + b->Name).c_str(), rate);
            R.Print("%-34s %9.2f\n", ("first save / read, " + b->Name).c_str(),
                    R.TimeRatio("first save/" + b->Name, "read/" + b->Name));
        }
    };
    // Wall time: the server does its share of the work in another process.
    const int code =
        lexbench::RunBenchmarks(argc, argv, table, lexbench::RatioReporter::TimeBase::Wall);
    Backends().clear();
    FinalizeCodePageList();
    std::filesystem::remove_all(folder);
    return code;
}
