// Look-ups in a million-entry dictionary against std::unordered_map, GNU
// gettext and Qt's QTranslator holding the same messages.

#include "LexiconGenerator.h"
#include "RatioReporter.h"
#include "platform/Streams.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/RuntimeModules.h"

#include <QString>
#include <QTranslator>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <libintl.h>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

namespace fs = std::filesystem;
using lexbench::GeneratedLexicon;

// Cycled by every look-up benchmark; large enough that the touched entries
// spread over the whole table rather than staying in cache.
constexpr size_t QueryCount = size_t(1) << 20;
constexpr size_t WarmQueryCount = 100;

// The catalogs hold as many messages as the dictionary, since table size
// decides how often a look-up misses the cache; --catalog_messages=N gives
// them only the first N (quicker to compile, but then they look faster).
constexpr size_t DefaultCatalogMessages = 1'000'000;

constexpr const char* Domain = "lexbench";
constexpr const char* Context = "Lex";

struct Query {
    std::string_view Key, CodePage, SeqNo;
};

std::string JoinKey(const Query& Q) {
    return lex::TCustomMultiLex::MakeKey(Q.Key, Q.CodePage, Q.SeqNo);
}

Query RecordQuery(const GeneratedLexicon& L, size_t Record) {
    return {L.Value(Record, lexbench::Key), L.Value(Record, lexbench::CodePage),
            L.Value(Record, lexbench::SeqNo)};
}

// Catalog tools want text in their declared charset; the double-byte values
// become ASCII of the same length, which keeps the look-up work the same.
std::string CatalogValue(std::string_view Value) {
    std::string out(Value);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = static_cast<char>('A' + static_cast<unsigned char>(c) % 26);
    }
    // msgfmt insists that msgid and msgstr agree on a leading or trailing LF.
    if (out.front() == '\n') out.front() = '.';
    if (out.back() == '\n') out.back() = '.';
    return out;
}

// Copies the queries' text in query order, so that reading a query costs the
// same for every contender: the next bytes of a list, not a random place.
std::vector<Query> PackQueries(const std::vector<Query>& Queries, std::string& Text) {
    size_t total = 0;
    for (const Query& q : Queries)
        total += q.Key.size() + q.CodePage.size() + q.SeqNo.size();
    Text.clear();
    Text.reserve(total); // never grows past this, so the views below stay valid
    const auto copy = [&Text](std::string_view part) {
        const size_t at = Text.size();
        Text.append(part);
        return std::string_view(Text).substr(at);
    };
    std::vector<Query> packed;
    packed.reserve(Queries.size());
    for (const Query& q : Queries)
        packed.push_back({copy(q.Key), copy(q.CodePage), copy(q.SeqNo)});
    return packed;
}

struct Workload {
    std::string HitText, MissText;
    std::vector<Query> Hits, Misses;
    std::vector<std::string> CatalogHits, CatalogMisses; // joined keys
    std::vector<std::string> CatalogExpected;            // value of each CatalogHits key
};

Workload MakeWorkload(const GeneratedLexicon& L, size_t CatalogMessages) {
    Workload w;
    lexbench::Random rng(7);
    std::vector<Query> hits, misses;
    std::vector<std::string> madeUpKeys; // alive until packed
    madeUpKeys.reserve(QueryCount);
    for (size_t i = 0; i < QueryCount; ++i)
        hits.push_back(RecordQuery(L, rng.Next() % L.Size()));
    for (size_t i = 0; i < QueryCount; ++i) {
        Query q = RecordQuery(L, rng.Next() % L.Size());
        if (i % 2 == 0) {
            q.CodePage = "1251"; // a known key in a language the lexicon lacks
        } else {
            // Keys end in [0-9a-z], so an upper-case last byte is never present.
            std::string& key = madeUpKeys.emplace_back(q.Key);
            key.back() = 'Z';
            q.Key = key;
        }
        misses.push_back(q);
    }
    w.Hits = PackQueries(hits, w.HitText);
    w.Misses = PackQueries(misses, w.MissText);
    const size_t catalogQueries = QueryCount / 4;
    for (size_t i = 0; i < catalogQueries; ++i) {
        const size_t record = rng.Next() % CatalogMessages;
        w.CatalogHits.push_back(JoinKey(RecordQuery(L, record)));
        w.CatalogExpected.push_back(CatalogValue(L.Value(record, lexbench::DisplayValue)));
        w.CatalogMisses.push_back(JoinKey(w.Misses[i]));
    }
    return w;
}

// A fresh folder under the system's temporary one, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "lexbench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void AppendPoString(std::string& Out, std::string_view Text) {
    Out += '"';
    for (const char c : Text) {
        switch (c) {
        case '"':
            Out += "\\\"";
            break;
        case '\\':
            Out += "\\\\";
            break;
        case '\t':
            Out += "\\t";
            break;
        case '\r':
            Out += "\\r";
            break;
        case '\n':
            Out += "\\n";
            break;
        default:
            Out += c;
        }
    }
    Out += "\"\n";
}

void AppendXml(std::string& Out, std::string_view Text) {
    for (const char c : Text) {
        switch (c) {
        case '&':
            Out += "&amp;";
            break;
        case '<':
            Out += "&lt;";
            break;
        case '>':
            Out += "&gt;";
            break;
        case '"':
            Out += "&quot;";
            break;
        // Character references keep what a parser would otherwise normalise.
        case '\t':
            Out += "&#9;";
            break;
        case '\r':
            Out += "&#13;";
            break;
        case '\n':
            Out += "&#10;";
            break;
        default:
            Out += c;
        }
    }
}

void WriteFile(const fs::path& Path, const std::string& Bytes) {
    std::ofstream out(Path, std::ios::binary);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + Path.string());
}

// Runs a catalog compiler; returns its wall time in seconds, or -1 on failure.
double Compile(const std::string& Command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(Command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Quoted(const fs::path& P) {
    return "'" + P.string() + "'";
}

std::string PoCatalog(const GeneratedLexicon& L, size_t Messages) {
    std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    for (size_t i = 0; i < Messages; ++i) {
        po += "msgid ";
        AppendPoString(po, JoinKey(RecordQuery(L, i)));
        po += "msgstr ";
        AppendPoString(po, CatalogValue(L.Value(i, lexbench::DisplayValue)));
        po += '\n';
    }
    return po;
}

std::string TsCatalog(const GeneratedLexicon& L, size_t Messages) {
    std::string ts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                     "<TS version=\"2.1\" language=\"zh_CN\">\n<context>\n<name>";
    ts += Context;
    ts += "</name>\n";
    for (size_t i = 0; i < Messages; ++i) {
        ts += "<message><source>";
        AppendXml(ts, JoinKey(RecordQuery(L, i)));
        ts += "</source><translation>";
        AppendXml(ts, CatalogValue(L.Value(i, lexbench::DisplayValue)));
        ts += "</translation></message>\n";
    }
    ts += "</context>\n</TS>\n";
    return ts;
}

struct Catalogs {
    fs::path Qm;
    std::string GettextProblem, QtProblem; // empty when compiled
};

// Compiles the first Messages records with msgfmt and lrelease, side by side
// since each tool uses one core: .mo files under Dir as gettext looks for them.
Catalogs CompileCatalogs(const GeneratedLexicon& L, size_t Messages, const fs::path& Dir) {
    Catalogs c;
    c.Qm = Dir / "lexbench.qm";
    const fs::path po = Dir / "lexbench.po", ts = Dir / "lexbench.ts";
    const fs::path moDir = Dir / "xx" / "LC_MESSAGES";
    fs::create_directories(moDir);
    WriteFile(po, PoCatalog(L, Messages));
    WriteFile(ts, TsCatalog(L, Messages));
    auto mo = std::async(std::launch::async, Compile,
                         Quoted(LEXBENCH_MSGFMT) + " -o " +
                             Quoted(moDir / (std::string(Domain) + ".mo")) + " " + Quoted(po));
    auto qm =
        std::async(std::launch::async, Compile,
                   Quoted(LEXBENCH_LRELEASE) + " -silent " + Quoted(ts) + " -qm " + Quoted(c.Qm));
    const double moSeconds = mo.get(), qmSeconds = qm.get();
    if (moSeconds < 0)
        c.GettextProblem = "msgfmt failed";
    else
        std::printf("msgfmt compiled %zu messages in %.1f s\n", Messages, moSeconds);
    if (qmSeconds < 0)
        c.QtProblem = "lrelease failed";
    else
        std::printf("lrelease compiled %zu messages in %.1f s\n", Messages, qmSeconds);
    return c;
}

// Binds the domain to the compiled catalog. Returns what went wrong, or an
// empty string when look-ups really hit.
std::string BindGettext(const fs::path& Dir, const Workload& W) {
    // LANGUAGE picks the catalog, but only when the locale is not plain "C".
    if (!std::setlocale(LC_ALL, "C.UTF-8")) return "the C.UTF-8 locale is not available";
    setenv("LANGUAGE", "xx", 1);
    bindtextdomain(Domain, Dir.c_str());
    bind_textdomain_codeset(Domain, "UTF-8");
    for (size_t i = 0; i < W.CatalogHits.size(); i += W.CatalogHits.size() / 1000) {
        const char* key = W.CatalogHits[i].c_str();
        const char* got = dgettext(Domain, key);
        if (got == key || W.CatalogExpected[i] != got)
            return "dgettext does not find the messages (e.g. " + W.CatalogHits[i] + ")";
    }
    return {};
}

std::string LoadQt(const fs::path& Qm, const Workload& W, QTranslator& Translator) {
    if (!Translator.load(QString::fromStdString(Qm.string())))
        return "QTranslator cannot load the .qm";
    for (size_t i = 0; i < W.CatalogHits.size(); i += W.CatalogHits.size() / 1000) {
        const QString got = Translator.translate(Context, W.CatalogHits[i].c_str());
        if (got.toStdString() != W.CatalogExpected[i])
            return "QTranslator does not find the messages (e.g. " + W.CatalogHits[i] + ")";
    }
    return {};
}

// Registers a look-up benchmark that cycles through Q, one query per iteration.
template <typename T, typename LookUp>
void AddLookUp(const std::string& Name, std::span<const T> Q, const std::string& Problem,
               LookUp Fn) {
    benchmark::RegisterBenchmark(Name.c_str(), [Q, Problem, Fn](benchmark::State& State) {
        if (!Problem.empty()) {
            State.SkipWithError(Problem.c_str());
            return;
        }
        size_t i = 0;
        for (auto _ : State) {
            Fn(Q[i]);
            if (++i == Q.size()) i = 0;
        }
    })->MinTime(0.5);
}

// Cold: queries spread over the whole table, so most look-ups wait on memory.
// Warm: a form's worth of queries cycled, so their entries (and the pages
// holding them) stay cached and the look-up's own work shows.
template <typename T, typename LookUp>
void AddLookUps(const std::string& Name, const std::vector<T>& Hits, const std::vector<T>& Misses,
                const std::string& Problem, LookUp Fn) {
    AddLookUp(Name + "/hit", std::span<const T>(Hits), Problem, Fn);
    AddLookUp(Name + "/hit-warm", std::span<const T>(Hits).first(WarmQueryCount), Problem, Fn);
    AddLookUp(Name + "/miss", std::span<const T>(Misses), Problem, Fn);
    AddLookUp(Name + "/miss-warm", std::span<const T>(Misses).first(WarmQueryCount), Problem, Fn);
}

size_t CatalogMessagesFromArgs(int& argc, char** argv, size_t Records) {
    // Our own flag; Google Benchmark rejects any it does not know.
    constexpr std::string_view flag = "--catalog_messages=";
    size_t messages = DefaultCatalogMessages;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(flag))
            messages = std::strtoull(argv[i] + flag.size(), nullptr, 10);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return std::clamp<size_t>(messages, 1, Records);
}

} // namespace

int main(int argc, char** argv) {
    const size_t catalogMessages =
        CatalogMessagesFromArgs(argc, argv, lexbench::DefaultRecordCount);
    const lex::RuntimeModules modules;
    const GeneratedLexicon lexicon(lexbench::DefaultRecordCount);
    const Workload work = MakeWorkload(lexicon, catalogMessages);

    // The dictionary as a program embeds it: a binary lexicon read on first use.
    auto dictionary = std::make_unique<lex::TLumoMultiStreamLex>();
    dictionary->LexReaderID = lex::LumoBinaryID;
    {
        std::string bytes;
        lexbench::GeneratedLexReader reader(lexicon);
        lex::StringOutputStream stream(bytes);
        lex::WriteBinaryLex(reader, stream);
        dictionary->Dictionary.ReadData(bytes);
    }
    dictionary->BuildLex();

    std::unordered_map<std::string, std::string> map;
    map.reserve(lexicon.Size());
    for (size_t i = 0; i < lexicon.Size(); ++i)
        map.emplace(JoinKey(RecordQuery(lexicon, i)),
                    std::string(lexicon.Value(i, lexbench::DisplayValue)));

    TempDir dir;
    Catalogs catalogs = CompileCatalogs(lexicon, catalogMessages, dir.Path());
    if (catalogs.GettextProblem.empty()) catalogs.GettextProblem = BindGettext(dir.Path(), work);
    QTranslator translator;
    if (catalogs.QtProblem.empty()) catalogs.QtProblem = LoadQt(catalogs.Qm, work, translator);
    const std::string& gettextProblem = catalogs.GettextProblem;
    const std::string& qtProblem = catalogs.QtProblem;

    lex::TLumoMultiStreamLex& dict = *dictionary;
    const auto translate = [&dict](const Query& q) {
        std::string value = dict.Translate(q.Key, q.CodePage, q.SeqNo);
        benchmark::DoNotOptimize(value);
    };
    const auto translateView = [&dict](const Query& q) {
        benchmark::DoNotOptimize(dict.TranslateView(q.Key, q.CodePage, q.SeqNo));
    };
    // The same work as Translate: join into a reused buffer, return a copy.
    std::string joined;
    const auto mapLookUp = [&map, &joined](const Query& q) {
        joined.clear();
        joined.append(q.Key).append(1, '\t').append(q.CodePage).append(1, '\t').append(q.SeqNo);
        const auto it = map.find(joined);
        std::string value = it != map.end() ? it->second : std::string(q.Key);
        benchmark::DoNotOptimize(value);
    };
    const auto gettextLookUp = [](const std::string& key) {
        benchmark::DoNotOptimize(dgettext(Domain, key.c_str()));
    };
    const auto qtLookUp = [&translator](const std::string& key) {
        QString value = translator.translate(Context, key.c_str());
        benchmark::DoNotOptimize(value);
    };
    AddLookUps("Translate", work.Hits, work.Misses, {}, translate);
    AddLookUps("TranslateView", work.Hits, work.Misses, {}, translateView);
    // What Translate adds to TranslateView: the returned string, built from
    // the very answers (a heap block for anything past the small-string buffer).
    const auto answers = [&dict](const std::vector<Query>& queries) {
        std::vector<std::string_view> views;
        views.reserve(queries.size());
        for (const Query& q : queries)
            views.push_back(dict.TranslateView(q.Key, q.CodePage, q.SeqNo));
        return views;
    };
    const std::vector<std::string_view> hitAnswers = answers(work.Hits),
                                        missAnswers = answers(work.Misses);
    AddLookUps("string copy", hitAnswers, missAnswers, {}, [](std::string_view answer) {
        std::string value(answer);
        benchmark::DoNotOptimize(value);
    });
    AddLookUps("unordered_map", work.Hits, work.Misses, {}, mapLookUp);
    AddLookUps("gettext", work.CatalogHits, work.CatalogMisses, gettextProblem, gettextLookUp);
    AddLookUps("QTranslator", work.CatalogHits, work.CatalogMisses, qtProblem, qtLookUp);

    const size_t records = lexicon.Size();
    return lexbench::RunBenchmarks(argc, argv, [&](const lexbench::RatioReporter& R) {
        const auto ns = [&R](const std::string& name) {
            const lexbench::RunFigures* f = R.Find(name);
            return f ? f->SecondsPerIteration * 1e9 : 0.0;
        };
        R.Print("\nLook-ups: dictionary and unordered_map of %zu entries; gettext and "
                "QTranslator catalogs of %zu messages%s\n",
                records, catalogMessages,
                catalogMessages < records ? " (fewer: not comparable)" : "");
        const char* const columns[] = {"/hit", "/hit-warm", "/miss", "/miss-warm"};
        R.Print("%-14s %9s %9s %9s %9s   (ns per look-up)\n", "", "hit cold", "hit warm",
                "miss cold", "miss warm");
        for (const std::string name : {"Translate", "TranslateView", "string copy", "unordered_map",
                                       "gettext", "QTranslator"}) {
            R.Print("%-14s", name.c_str());
            for (const char* column : columns)
                R.Print(" %9.1f", ns(name + column));
            R.Print("\n");
        }
        const auto ratio = [&R](const std::string& a, const std::string& b, const char* column) {
            return R.TimeRatio(a + column, b + column);
        };
        R.Print("\n%-30s %9s %9s %9s %9s\n", "ratio of times", "hit cold", "hit warm", "miss cold",
                "miss warm");
        const std::pair<const char*, const char*> pairs[] = {{"Translate", "unordered_map"},
                                                             {"gettext", "Translate"},
                                                             {"QTranslator", "Translate"},
                                                             {"gettext", "TranslateView"},
                                                             {"QTranslator", "TranslateView"}};
        for (const auto& [a, b] : pairs) {
            R.Print("%-30s", (std::string(a) + " / " + b).c_str());
            for (const char* column : columns)
                R.Print(" %9.2f", ratio(a, b, column));
            R.Print("\n");
        }
        struct Goal {
            const char* A;
            const char* B;
            const char* Column;
            bool AtMost; // the ratio must stay at or under Bound, else reach it
            double Bound;
        };
        R.Print("\ngoals\n");
        for (const Goal& g : {Goal{"Translate", "unordered_map", "/hit", true, 1.5},
                              Goal{"Translate", "unordered_map", "/hit-warm", true, 1.5},
                              Goal{"gettext", "Translate", "/hit-warm", false, 3},
                              Goal{"QTranslator", "Translate", "/hit-warm", false, 3},
                              Goal{"gettext", "TranslateView", "/hit-warm", false, 4},
                              Goal{"QTranslator", "TranslateView", "/hit-warm", false, 4},
                              Goal{"QTranslator", "Translate", "/hit", false, 1},
                              Goal{"QTranslator", "Translate", "/miss", false, 1}}) {
            const double r = ratio(g.A, g.B, g.Column);
            const bool met = r > 0 && (g.AtMost ? r <= g.Bound : r >= g.Bound);
            R.Print("%-42s %6.2f   %s %.1f: %s\n",
                    (std::string(g.A) + " / " + g.B + " " + (g.Column + 1)).c_str(), r,
                    g.AtMost ? "<=" : ">=", g.Bound, lexbench::GoalMark(met));
        }
    });
}
