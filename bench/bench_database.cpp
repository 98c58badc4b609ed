// Bulk work on a table against the database's own loaders on the same rows:
// the first save of a lexicon into an empty table against loading a CSV of
// its rows (`sqlite3 .import`, `psql \copy ... from`), `lextool db-load`
// against writing the table out (`sqlite3 -csv`, `psql \copy ... to`), and
// the re-save of a bound editor after 1% of its values changed against
// reading the table. On the embedded SQLite database and, when LEX_TEST_PGSQL
// names a server, on PostgreSQL. Times are wall times; the lextool commands
// and the loaders run as processes, so that a save's peak memory is its own.
#include "LexiconGenerator.h"
#include "RatioReporter.h"
#include "database/SQLClientDataSet.h"
#include "database/SQLConnection.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/LexTableSync.h"
#include "editor/NodeListLexReader.h"
#include "platform/CodePage.h"
#include "platform/CodePageCatalog.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/RecordListLexReader.h"
#include "runtime/RuntimeModules.h"

#include <QCoreApplication>
#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace lex;
namespace fs = std::filesystem;

constexpr int Keys = 333'333;
constexpr int Languages = 3;
constexpr int Records = Keys * Languages;
// Display values start with a word of their language.
const struct {
    const char* CodePage;
    const char* Word;
} LanguageWords[Languages] = {
    {"1252", "Caption of "},
    {"936", "\xD6\xB5 "},                          // GB2312
    {"1251", "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5 "}, // Cyrillic
};

// Keys of 12 to 49 characters, as a form's component paths are.
std::vector<std::string> MakeKeys() {
    lexbench::Random random(20261211);
    std::vector<std::string> keys;
    keys.reserve(Keys);
    for (int n = 0; n < Keys; ++n) {
        const std::string number = "." + std::to_string(n);
        std::string key = "Form";
        const size_t length = random.Between(12, 49);
        while (key.size() + number.size() < length)
            key += static_cast<char>('a' + random.Between(0, 25));
        keys.push_back(key + number);
    }
    return keys;
}

std::string Quoted(const std::string& Text) {
    std::string quoted = "'";
    for (const char c : Text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs Command under /bin/sh; its wall time in seconds and its peak memory
// in bytes. Throws when it fails.
struct ProcessFigures {
    double Seconds;
    double PeakBytes;
};
ProcessFigures RunMeasured(const std::string& Command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", Command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        throw std::runtime_error("Failed: " + Command);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), usage.ru_maxrss * 1024.0};
}

// A process's peak memory counts what it had before exec, so a child of
// this big process would show our own size: RunMeasured runs in a fresh
// copy of this program, started small, which prints the figures.
constexpr std::string_view MeasureOption = "--run-measured";
ProcessFigures RunProcess(const std::string& Command) {
    const std::string launcher = "/proc/" + std::to_string(getpid()) + "/exe";
    FILE* pipe =
        popen((launcher + " " + std::string(MeasureOption) + " " + Quoted(Command)).c_str(), "r");
    ProcessFigures figures{};
    const bool read = pipe && fscanf(pipe, "%lf %lf", &figures.Seconds, &figures.PeakBytes) == 2;
    if (!pipe || pclose(pipe) != 0 || !read) throw std::runtime_error("Failed: " + Command);
    return figures;
}

std::string Utf8(std::string_view Bytes, int CodePage) {
    const std::u16string text = DecodeText(Bytes, CodePage);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

std::map<std::string, double>& PeakBytes() {
    static std::map<std::string, double> peaks;
    return peaks;
}

struct Backend {
    std::string Name;
    TDBSettings Settings;
    std::string Table;
    std::string ImportTable; // the loaders' own
    fs::path Folder;
    std::unique_ptr<TSQLConnection> Admin = std::make_unique<TSQLConnection>();
    std::unique_ptr<TSQLClientDataSet> Data = std::make_unique<TSQLClientDataSet>();
    TLexDocument Document;
    bool Filled = false;
    int Round = 0;

    Backend(std::string BackendName, TDBSettings DBSettings, const fs::path& Parent,
            const std::vector<std::string>& KeyList)
        : Name(std::move(BackendName)), Settings(std::move(DBSettings)),
          Table("lexbench_" + std::to_string(getpid())), ImportTable(Table + "_import"),
          Folder(Parent / Name) {
        fs::create_directories(Folder);
        ConfigureConnection(*Admin, Settings);
        for (const std::string& table : {Table, ImportTable})
            Admin->ExecuteDirect("create table " + table +
                                 " (LEXKEY varchar(200) not null, CODEPAGE int not null, SEQNO int "
                                 "not null, DISPLAYVALUE varchar(200) not null, CATALOGID "
                                 "varchar(200) not null, primary key (LEXKEY, CODEPAGE, SEQNO))");
        ConfigureConnection(Data->Connection(), Settings);
        std::ofstream ini(Folder / "bench.ini");
        ini << "[DataBase]\n";
        for (const std::string& param : Settings.Params)
            ini << param << '\n';

        std::vector<TLexRecord> records;
        std::ofstream csv(Folder / "rows.csv", std::ios::binary);
        for (int n = 0; n < Keys; ++n) {
            const std::string& key = KeyList[n];
            const std::string parent = n % 10 ? KeyList[n - n % 10] : "";
            for (const auto& language : LanguageWords) {
                const std::string value = language.Word + key;
                records.push_back({key, language.CodePage, "0", value, parent});
                csv << '"' << key << "\"," << language.CodePage << ",0,\""
                    << Utf8(value, std::atoi(language.CodePage)) << "\",\"" << parent << "\"\n";
            }
        }
        TRecordListLexReader reader({"LexKey", "CodePage", "SeqNo", "DisplayValue", "CatalogID"},
                                    std::move(records));
        LoadFromReader(Document, reader, {});
        WriteCopy(Document, false, {}, {}, Lexicon().string());
    }
    ~Backend() {
        Data->Close();
        for (const std::string& table : {Table, ImportTable})
            Admin->ExecuteDirect("drop table " + table);
    }

    fs::path Lexicon() const { return Folder / "lexicon.lxb"; }
    std::string LexTool(const std::string& Arguments) const {
        return std::string(LEXBENCH_LEXTOOL) + " " + Arguments + " --ini " +
               Quoted((Folder / "bench.ini").string()) + " >/dev/null";
    }
    // The first save: lextool into an empty table.
    ProcessFigures SaveIntoEmptyTable() {
        Admin->ExecuteDirect("delete from " + Table);
        const ProcessFigures figures =
            RunProcess(LexTool("db-save " + Quoted(Lexicon().string()) + " " + Table));
        Filled = true;
        return figures;
    }
    void Fill() {
        if (!Filled) SaveIntoEmptyTable();
    }

    TApplyCounts Save() {
        return SaveToTable(
            Document, *Data,
            [this](const TLexProgressEvent& Progress) { return Data->ApplyUpdates(Progress); },
            false, {});
    }
    // One value in a hundred (of the first language), different each round;
    // how many were changed.
    int ChangeOnePercent() {
        ++Round;
        const TLexTree& tree = Document.Tree();
        int n = 0, changed = 0;
        for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            if (n++ % (100 / Languages) == 0) {
                Document.SetNodeValue(node, 1, "Changed " + std::to_string(Round));
                ++changed;
            }
        return changed;
    }

    // The database's own command-line client.
    std::string Client(const std::string& Statement) const;
    std::string LoadCommand() const;
    std::string ExportCommand() const;
};

std::string Backend::Client(const std::string& Statement) const {
    if (Name == "SQLite")
        return "sqlite3 " + Quoted(ParamValue(Settings.Params, "Database")) + " " +
               Quoted(Statement);
    std::string connection;
    for (const auto& [param, key] : std::map<std::string, std::string>{{"HostName", "host"},
                                                                       {"Port", "port"},
                                                                       {"Database", "dbname"},
                                                                       {"User_Name", "user"},
                                                                       {"Password", "password"}})
        if (const std::string value = ParamValue(Settings.Params, param); !value.empty())
            connection += key + "=" + value + " ";
    return "psql -X -q -v ON_ERROR_STOP=1 " + Quoted(connection) + " -c " + Quoted(Statement);
}

std::string Backend::LoadCommand() const {
    const std::string csv = (Folder / "rows.csv").string();
    return Name == "SQLite" ? Client(".import --csv " + csv + " " + ImportTable)
                            : Client("\\copy " + ImportTable + " from '" + csv + "' csv");
}

std::string Backend::ExportCommand() const {
    const std::string out = (Folder / "out.csv").string();
    return Name == "SQLite" ? Client("select * from " + Table) + " -csv > " + Quoted(out)
                            : Client("\\copy " + Table + " to '" + out + "' csv");
}

std::vector<std::unique_ptr<Backend>>& Backends() {
    static std::vector<std::unique_ptr<Backend>> backends;
    return backends;
}

// Subprocess figures go to the benchmark as manual time.
void Report(benchmark::State& State, const ProcessFigures& Figures) {
    State.SetIterationTime(Figures.Seconds);
}

void FirstSave(benchmark::State& State, Backend* B) {
    for (auto _ : State) {
        const ProcessFigures figures = B->SaveIntoEmptyTable();
        PeakBytes()[B->Name] = std::max(PeakBytes()[B->Name], figures.PeakBytes);
        Report(State, figures);
    }
    State.SetItemsProcessed(State.iterations() * Records);
}

void Import(benchmark::State& State, Backend* B) {
    for (auto _ : State) {
        B->Admin->ExecuteDirect("delete from " + B->ImportTable);
        Report(State, RunProcess(B->LoadCommand()));
    }
    State.SetItemsProcessed(State.iterations() * Records);
}

void DbLoad(benchmark::State& State, Backend* B) {
    B->Fill();
    const std::string out = (B->Folder / "loaded.lxb").string();
    for (auto _ : State)
        Report(State, RunProcess(B->LexTool("db-load " + B->Table + " " + Quoted(out))));
    State.SetItemsProcessed(State.iterations() * Records);
}

void Export(benchmark::State& State, Backend* B) {
    B->Fill();
    for (auto _ : State)
        Report(State, RunProcess(B->ExportCommand()));
    State.SetItemsProcessed(State.iterations() * Records);
}

void Read(benchmark::State& State, Backend* B) {
    B->Fill();
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

// The Save of a bound editor: compared with the rows its dataset holds.
void Resave(benchmark::State& State, Backend* B) {
    B->Fill();
    B->Data->Open(B->Table);
    for (auto _ : State) {
        State.PauseTiming();
        const int changed = B->ChangeOnePercent();
        State.ResumeTiming();
        if (B->Save().Updated != changed) {
            State.SkipWithError("not every changed value was updated");
            break;
        }
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

void PrintTable(const lexbench::RatioReporter& R) {
    R.Print("\n%d records (%d keys in %d languages) in a table\n", Records, Keys, Languages);
    R.Print("%-40s %9s   goal\n", "", "figure");
    const auto ratio = [&](const std::string& Label, const std::string& A, const std::string& B,
                           double Goal) {
        const double figure = R.TimeRatio(A, B);
        R.Print("%-40s %9.2f   <= %.1f %s\n", Label.c_str(), figure, Goal,
                lexbench::GoalMark(figure > 0 && figure <= Goal));
    };
    for (const auto& b : Backends()) {
        const std::string& n = b->Name;
        ratio("first save / " + std::string(n == "SQLite" ? ".import" : "\\copy from") + ", " + n,
              "first save/" + n, "loader import/" + n, n == "SQLite" ? 1.5 : 2);
        ratio("re-save 1% / read, " + n, "re-save 1%/" + n, "read/" + n, 1.5);
        ratio("db-load / " + std::string(n == "SQLite" ? "sqlite3 -csv" : "\\copy to") + ", " + n,
              "db-load/" + n, "loader export/" + n, 2);
        if (const auto peak = PeakBytes().find(n); peak != PeakBytes().end()) {
            const double figure = peak->second / static_cast<double>(fs::file_size(b->Lexicon()));
            R.Print("%-40s %9.2f   <= 4.0 %s\n",
                    ("save's peak memory / lexicon file, " + n).c_str(), figure,
                    lexbench::GoalMark(figure <= 4));
            R.Print("%-40s %9.0f\n", ("  peak memory, MB, " + n).c_str(), peak->second / 1e6);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && argv[1] == MeasureOption) try {
            const ProcessFigures figures = RunMeasured(argv[2]);
            std::printf("%f %f\n", figures.Seconds, figures.PeakBytes);
            return 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    QCoreApplication app(argc, argv);
    const RuntimeModules modules;
    InitializeCodePageList();
    const fs::path folder = fs::temp_directory_path() / ("lexbench-" + std::to_string(getpid()));
    const std::vector<std::string> keys = MakeKeys();
    TDBSettings sqlite;
    sqlite.Params = {"DriverName=SQLite", "Database=" + (folder / "bench.db").string()};
    fs::create_directories(folder);
    Backends().push_back(std::make_unique<Backend>("SQLite", sqlite, folder, keys));
    if (const char* server = std::getenv("LEX_TEST_PGSQL"); server && *server)
        Backends().push_back(
            std::make_unique<Backend>("PostgreSQL", PostgresSettings(server), folder, keys));

    const auto ms = benchmark::kMillisecond;
    for (const auto& b : Backends()) {
        const auto add = [&](const std::string& Name, auto Function, int Iterations) {
            benchmark::RegisterBenchmark((Name + "/" + b->Name).c_str(), Function, b.get())
                ->Unit(ms)
                ->UseRealTime()
                ->Iterations(Iterations);
        };
        const auto addProcess = [&](const std::string& Name, auto Function) {
            benchmark::RegisterBenchmark((Name + "/" + b->Name).c_str(), Function, b.get())
                ->Unit(ms)
                ->UseManualTime()
                ->Iterations(1);
        };
        addProcess("first save", FirstSave);
        addProcess("loader import", Import);
        addProcess("db-load", DbLoad);
        addProcess("loader export", Export);
        add("read", Read, 1);
        add("re-save 1%", Resave, 3);
    }
    // Wall time: the server does its share of the work in another process.
    const int code =
        lexbench::RunBenchmarks(argc, argv, PrintTable, lexbench::RatioReporter::TimeBase::Wall);
    Backends().clear();
    FinalizeCodePageList();
    fs::remove_all(folder);
    return code;
}
