// The lexicon document at the scale of a normal lexicon: loading a million
// records, merging, saving and searching, each as a ratio to a plain pass
// over the same data in the same run.
#include "DocumentFixture.h"
#include "RatioReporter.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/LexSearch.h"
#include "editor/LexTranslation.h"
#include "editor/NodeListLexReader.h"
#include "platform/CodePageCatalog.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/RecordListLexReader.h"
#include "runtime/RuntimeModules.h"
#include "runtime/TextLexCheck.h"
#include "runtime/TextLexFormat.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <random>

namespace {

using namespace lex;

constexpr int Languages = 3;
const char* const CodePages[Languages] = {"936", "950", "1252"};

// `nodes` keys, each with one value per language; one key in ten is a parent
// that the others name as CatalogID. Keys start at `first`.
std::string MakeLexicon(int Nodes, int First, unsigned Seed) {
    std::mt19937 random(Seed);
    const char* words[] = {"File",     "Open",  "Save",   "Close",  "Edit",     "View",
                           "Help",     "Tools", "Window", "Option", "Data",     "Search",
                           "Find",     "Next",  "Export", "Import", "Language", "Value",
                           "Sequence", "Print", "Copy",   "Paste"};
    std::vector<std::string> parents;
    std::vector<TLexRecord> records;
    records.reserve(static_cast<size_t>(Nodes) * Languages);
    for (int n = First; n < First + Nodes; ++n) {
        std::string key;
        for (int w = 0, count = 1 + static_cast<int>(random() % 3); w < count; ++w)
            key += std::string(words[random() % std::size(words)]) + " ";
        key += std::to_string(n);
        const bool parent = n % 10 == 0;
        const std::string catalog =
            parent || parents.empty() ? "" : parents[random() % parents.size()];
        for (const char* codePage : CodePages) {
            std::string value = std::string(codePage) + ":" + key;
            if (codePage[0] == '9') value += "\xB9\xFA\xBC\xD2"; // some double-byte text
            records.push_back({key, codePage, "0", value, catalog});
        }
        if (parent) parents.push_back(key);
    }
    return lexbench::BinaryLexicon(std::move(records));
}

// The document's 950 column lacks the value of one key in a hundred, to be
// found by the untranslated commands; the 1252 column lacks none, so looking
// for the next untranslated cell there goes round the whole tree.
struct Fixture : lexbench::DocumentFixture {
    std::string Update = MakeLexicon(100000 / Languages, 1000000 / Languages - 10000, 2);
    const TLexColumn* Column950 = nullptr;
    const TLexColumn* Column1252 = nullptr;
    std::string Text; // the lexicon in the CSV style

    Fixture() : DocumentFixture(MakeLexicon(1000000 / Languages, 0, 1)) {
        StringOutputStream stream(Text);
        TBinaryStreamLexReader reader(Lexicon);
        WriteTextLex(reader, stream, EscapeCSV, ',', '"');
        TLexTree& tree = Document.Tree();
        for (int c = 1; c < tree.ColumnCount(); ++c) {
            const std::string codePage = TLexDocument::BandCodePage(*tree.Column(c)->Band);
            if (codePage == "950") Column950 = tree.Column(c);
            if (codePage == "1252") Column1252 = tree.Column(c);
        }
        int n = 0;
        for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            if (++n % 100 == 0) tree.SetValue(node, Column950->Index(), "");
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

// The baseline of loading and saving: reading the file, touching every value.
void Read(benchmark::State& State, const std::string* Bytes) {
    for (auto _ : State) {
        TBinaryStreamLexReader reader(*Bytes);
        size_t sum = 0;
        for (reader.First(); !reader.Eof(); reader.Next())
            for (int i = 0; i < reader.FieldCount(); ++i)
                sum += reader.FieldValue(i).size();
        benchmark::DoNotOptimize(sum);
    }
}

void Load(benchmark::State& State) {
    lexbench::LoadDocument(State, Data().Lexicon);
}

// What opening a text lexicon adds to loading it: the check of its lines.
void CheckText(benchmark::State& State) {
    for (auto _ : State)
        benchmark::DoNotOptimize(FindTextLexDamage(Data().Text, ',', '"', false));
}

void Merge(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        auto document = std::make_unique<TLexDocument>();
        {
            TBinaryStreamLexReader reader(Data().Lexicon);
            LoadFromReader(*document, reader, {});
        }
        TBinaryStreamLexReader reader(Data().Update);
        State.ResumeTiming();
        MergeFromReader(*document, reader, {});
        State.PauseTiming();
        document.reset();
        State.ResumeTiming();
    }
}

void Save(benchmark::State& State) {
    std::string out;
    for (auto _ : State) {
        out.clear();
        StringOutputStream stream(out);
        const auto reader = CreateNodeListReader(Data().Document, false, {});
        WriteBinaryLex(*reader, stream);
        benchmark::DoNotOptimize(out.data());
    }
}

// Select all and Delete, with the hits of a search on the list: the deletion
// alone is timed, against a load of the same lexicon.
void DeleteAllSelected(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        auto document = std::make_unique<TLexDocument>();
        {
            TBinaryStreamLexReader reader(Data().Lexicon);
            LoadFromReader(*document, reader, {});
        }
        Find(*document, u"1");
        TLexTree& tree = document->Tree();
        tree.ClearSelection();
        for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            tree.Select(node);
        State.ResumeTiming();
        document->DeleteNodes();
        State.PauseTiming();
        document.reset();
        State.ResumeTiming();
    }
}

// The window's undo stack reduced to what an import, its undo and its redo
// need.
class History final : public ILexUndoHistory {
public:
    void Push(std::unique_ptr<TLexUndoStep> Step) override { steps.push_back(std::move(Step)); }
    void Saved() override {}
    void Clear() override { steps.clear(); }
    std::vector<std::unique_ptr<TLexUndoStep>> steps;
};

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Heap growth of the load and the highest growth over an import, its undo
// and its redo, from the last run of "undo/100k".
struct UndoMemory {
    double Load = 0;
    double Peak = 0;
} undoMemory;

// Import 100k records into the 1M document as one step, then undo and redo
// it: only the undo and the redo are timed; the step holds what the import
// changed, never a copy of the document.
void UndoImport(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        const size_t empty = HeapInUse();
        History history;
        auto document = std::make_unique<TLexDocument>();
        document->SetUndoHistory(&history);
        {
            TBinaryStreamLexReader reader(Data().Lexicon);
            LoadFromReader(*document, reader, {});
        }
        const size_t loaded = HeapInUse();
        {
            TBinaryStreamLexReader reader(Data().Update);
            MergeFromReader(*document, reader, {});
        }
        size_t peak = HeapInUse();
        if (history.steps.size() != 1) State.SkipWithError("the import is not one step");
        State.ResumeTiming();
        document->Undo(*history.steps.front());
        State.PauseTiming();
        peak = std::max(peak, HeapInUse());
        State.ResumeTiming();
        document->Redo(*history.steps.front());
        State.PauseTiming();
        peak = std::max(peak, HeapInUse());
        undoMemory = {static_cast<double>(loaded - empty), static_cast<double>(peak - loaded)};
        history.steps.clear();
        document.reset();
        State.ResumeTiming();
    }
}

// Select all, Delete, and undo it: the undo alone is timed; it puts back the
// subtrees the step kept, a million nodes in one reset.
void UndoDeleteAll(benchmark::State& State) {
    for (auto _ : State) {
        State.PauseTiming();
        History history;
        auto document = std::make_unique<TLexDocument>();
        document->SetUndoHistory(&history);
        {
            TBinaryStreamLexReader reader(Data().Lexicon);
            LoadFromReader(*document, reader, {});
        }
        TLexTree& tree = document->Tree();
        for (TTreeNode* node = tree.FirstNode(); node; node = node->NextSibling())
            tree.Select(node);
        document->DeleteNodes();
        State.ResumeTiming();
        document->Undo(*history.steps.front());
        State.PauseTiming();
        if (document->NodeCount() != Data().Document.NodeCount())
            State.SkipWithError("the undo lost nodes");
        history.steps.clear();
        document.reset();
        State.ResumeTiming();
    }
}

// The baseline of searching: every cell of every node, in tree order.
void WalkCells(benchmark::State& State) {
    const TLexTree& tree = Data().Document.Tree();
    for (auto _ : State) {
        size_t sum = 0;
        for (const TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
            for (int c = 0; c < tree.ColumnCount(); ++c)
                for (const char ch : tree.Value(node, c))
                    sum += static_cast<unsigned char>(ch);
        benchmark::DoNotOptimize(sum);
    }
}

void Find(benchmark::State& State) {
    for (auto _ : State)
        Find(Data().Document, u"save open 12");
}

void Locate(benchmark::State& State) {
    for (auto _ : State)
        benchmark::DoNotOptimize(Locate(Data().Document, u"no such text"));
}

// The untranslated filter's rows: one pass over the tree.
void UntranslatedFilter(benchmark::State& State) {
    for (auto _ : State)
        benchmark::DoNotOptimize(UntranslatedNodes(Data().Document.Tree(), *Data().Column950));
}

// Next Untranslated: a step to the next key of a hundred, or, where nothing
// is left to translate, once round the tree to say so.
void NextUntranslated(benchmark::State& State, const TLexColumn* Column) {
    for (auto _ : State)
        benchmark::DoNotOptimize(FindUntranslated(Data().Document, *Column, true));
}

} // namespace

int main(int argc, char** argv) {
    Data();
    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("read/1M", Read, &Data().Lexicon)->Unit(ms);
    benchmark::RegisterBenchmark("load/1M", Load)->Unit(ms);
    benchmark::RegisterBenchmark("check-text/1M", CheckText)->Unit(ms);
    benchmark::RegisterBenchmark("read/100k", Read, &Data().Update)->Unit(ms);
    benchmark::RegisterBenchmark("merge/100k", Merge)->Unit(ms);
    benchmark::RegisterBenchmark("delete/1M", DeleteAllSelected)->Unit(ms);
    benchmark::RegisterBenchmark("undo/100k", UndoImport)->Unit(ms);
    benchmark::RegisterBenchmark("undo-delete/1M", UndoDeleteAll)->Unit(ms);
    benchmark::RegisterBenchmark("save/1M", Save)->Unit(ms);
    benchmark::RegisterBenchmark("walk/cells", WalkCells)->Unit(ms);
    benchmark::RegisterBenchmark("find", Find)->Unit(ms);
    benchmark::RegisterBenchmark("locate", Locate)->Unit(ms);
    benchmark::RegisterBenchmark("untranslated/filter", UntranslatedFilter)->Unit(ms);
    benchmark::RegisterBenchmark("untranslated/next", NextUntranslated, Data().Column950)->Unit(ms);
    benchmark::RegisterBenchmark("untranslated/none", NextUntranslated, Data().Column1252)
        ->Unit(ms);
    return lexbench::RunBenchmarks(argc, argv, [](const lexbench::RatioReporter& R) {
        R.Print("\nLexicon document, %d nodes (1,000,000 records), one key in ten a parent\n",
                Data().Document.NodeCount());
        R.Print("%-32s %7s   goal\n", "ratio of times", "ratio");
        const struct {
            const char *label, *a, *b;
            double bound;
        } goals[] = {{"load / read (1M records)", "load/1M", "read/1M", 3},
                     {"text check / load (1M records)", "check-text/1M", "load/1M", 0.1},
                     {"merge / read (100k records)", "merge/100k", "read/100k", 2},
                     {"delete all selected / load (1M)", "delete/1M", "load/1M", 1},
                     {"undo+redo 100k import / load 1M", "undo/100k", "load/1M", 1},
                     {"undo delete all / load (1M)", "undo-delete/1M", "load/1M", 1},
                     {"save / read (1M records)", "save/1M", "read/1M", 2},
                     {"find / walk over the cells", "find", "walk/cells", 1},
                     {"locate / walk over the cells", "locate", "walk/cells", 1},
                     {"untranslated filter / find", "untranslated/filter", "find", 1},
                     {"next untranslated / find", "untranslated/next", "find", 1},
                     {"none untranslated left / find", "untranslated/none", "find", 1}};
        for (const auto& g : goals) {
            const double ratio = R.TimeRatio(g.a, g.b);
            R.Print("%-32s %7.2f   <= %g %s\n", g.label, ratio, g.bound,
                    lexbench::GoalMark(ratio > 0 && ratio <= g.bound));
        }
        // An undo that copied the document would hold at least its size again.
        R.Print("\n%-32s %7s   goal\n", "ratio of heap growth", "ratio");
        const double memory = undoMemory.Load > 0 ? undoMemory.Peak / undoMemory.Load : 0;
        R.Print("%-32s %7.2f   <= 0.5 %s\n", "import+undo+redo peak / load", memory,
                lexbench::GoalMark(memory > 0 && memory <= 0.5));
    });
}
