// Form files at the scale of a large application: the token walk over 1,000
// generated forms against a plain byte scan of the same text, the import of
// all of them into a document, and the export of one form at 1x and 4x its
// size, whose time must grow in step with it.
#include "RatioReporter.h"
#include "editor/LexDocument.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "runtime/RuntimeModules.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace lex;

constexpr int FormCount = 1000;
constexpr int ExportComponents = 2000; // the 1x form; the 4x one has four times as many
constexpr double WalkGoalMBps = 50;
// Time of 4x over 1x: 4 when linear, 16 when quadratic; room for noise.
constexpr double LinearBound = 6;

// Forms as a designer writes them: nested panels of controls with captions
// and hints, string lists, collections, texts split into "+" pieces, wide
// strings, binary data, and the properties and classes that the default skip
// lists leave out.
class FormGenerator {
public:
    explicit FormGenerator(unsigned Seed) : random_(Seed) {}

    std::string Form(int Number, int Components) {
        text_.clear();
        text_ += "object Form" + std::to_string(Number) + ": TForm" + std::to_string(Number) +
                 "\n  Left = 192\n  Top = 107\n  Width = 870\n  Height = 640\n"
                 "  Caption = '" +
                 Words(3) + "'\n  Font.Name = 'Tahoma'\n  OldCreateOrder = False\n";
        int made = 0;
        while (made < Components) {
            const int inPanel = std::min(Components - made, 1 + static_cast<int>(random_() % 12));
            Panel(made, inPanel);
            made += inPanel;
        }
        text_ += "end\n";
        return text_;
    }

private:
    std::string Words(int Count) {
        static const char* const words[] = {
            "File",  "Open",   "Save",    "Close",  "Edit",    "View",   "Help",   "Tools",
            "Print", "Search", "Replace", "Next",   "Options", "Export", "Import", "Language",
            "Value", "Name",   "Address", "Amount", "Date",    "Total",  "Cancel", "Apply"};
        std::string text;
        for (int i = 0; i < Count; ++i) {
            if (i) text += ' ';
            text += words[random_() % std::size(words)];
        }
        // One text in four is unique to its form; the rest recur across forms.
        if (random_() % 4 == 0) text += ' ' + std::to_string(random_() % 100000);
        return text;
    }

    void Control(const std::string& Indent, int Number) {
        static const char* const classes[] = {"TButton", "TLabel",      "TCheckBox",
                                              "TEdit",   "TComboBox",   "TListBox",
                                              "TMemo",   "TRadioGroup", "TDBGrid"};
        const std::string cls = classes[random_() % std::size(classes)];
        const std::string name = cls.substr(1) + std::to_string(Number);
        text_ += Indent + "object " + name + ": " + cls + "\n";
        const std::string in = Indent + "  ";
        text_ += in + "Left = " + std::to_string(random_() % 800) + "\n" + in +
                 "Top = " + std::to_string(random_() % 600) + "\n" + in + "Width = 75\n" + in +
                 "Height = 25\n";
        text_ += in + "Caption = '" + Words(1 + static_cast<int>(random_() % 3)) + "'\n";
        if (random_() % 3 == 0) text_ += in + "Hint = '" + Words(4) + "'\n";
        if (random_() % 8 == 0) // a long text the designer split over lines
            text_ += in + "Hint = '" + Words(8) + " ' +\n" + in + "  '" + Words(8) + "'\n";
        if (random_() % 10 == 0) // Chinese, as wide character codes
            text_ += in + "Caption = #25991#20214 + '" + Words(1) + "'\n";
        if (cls == "TListBox" || cls == "TComboBox" || cls == "TMemo" || cls == "TRadioGroup") {
            text_ += in + (cls == "TMemo" ? "Lines" : "Items") + ".Strings = (\n";
            for (int i = 0, n = 2 + static_cast<int>(random_() % 6); i < n; ++i)
                text_ += in + "  '" + Words(2) + "'" + (i + 1 == n ? ")\n" : "\n");
        }
        if (cls == "TDBGrid") {
            text_ += in + "Columns = <\n";
            for (int i = 0, n = 2 + static_cast<int>(random_() % 5); i < n; ++i)
                text_ += in + "  item\n" + in + "    Expanded = False\n" + in +
                         "    FieldName = 'FIELD" + std::to_string(i) + "'\n" + in +
                         "    Title.Caption = '" + Words(1) + "'\n" + in + "    Width = 64\n" + in +
                         "    Visible = True\n" + in + "  end" + (i + 1 == n ? ">\n" : "\n");
        }
        if (cls == "TCheckBox")
            text_ += in + "Anchors = [akLeft, akTop, akRight]\n" + in + "State = cbChecked\n";
        text_ += Indent + "end\n";
    }

    void Panel(int First, int Count) {
        text_ += "  object Panel" + std::to_string(First) +
                 ": TPanel\n    Align = alTop\n    BevelOuter = bvNone\n    Caption = ''\n";
        if (random_() % 10 == 0) {
            text_ +=
                "    object Image" + std::to_string(First) + ": TImage\n      Picture.Data = {\n";
            for (int line = 0; line < 4; ++line) {
                text_ += "        ";
                for (int i = 0; i < 32; ++i)
                    text_ += "0123456789ABCDEF"[random_() % 16];
                text_ += line == 3 ? "}\n" : "\n";
            }
            text_ += "    end\n";
        }
        for (int i = 0; i < Count; ++i)
            Control("    ", First + i);
        text_ += "  end\n";
    }

    std::mt19937 random_;
    std::string text_;
};

TFormSkipLists DefaultLists() {
    return {TFormSkipList(DefaultSkipIdents()), TFormSkipList(DefaultSkipClasses())};
}

struct Fixture {
    RuntimeModules Modules;
    std::vector<std::string> Forms;
    size_t FormBytes = 0;
    std::string Small, Large; // one form, 1x and 4x
    TLexDocument Document;    // the values of both as 1252, for the export
    Fixture() {
        FormGenerator generator(1);
        for (int i = 0; i < FormCount; ++i) {
            Forms.push_back(generator.Form(i, 10 + static_cast<int>(i % 60)));
            FormBytes += Forms.back().size();
        }
        Small = generator.Form(FormCount, ExportComponents);
        Large = generator.Form(FormCount + 1, 4 * ExportComponents);
        TFormImport import(Document, {"1252", DefaultLists()});
        import.ImportFormText(Small);
        import.ImportFormText(Large);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void SetBytes(benchmark::State& State, size_t Bytes) {
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(Bytes));
}

// The floor: finding every quote of every form with memchr.
void Scan(benchmark::State& State) {
    for (auto _ : State) {
        size_t quotes = 0;
        for (const std::string& form : Data().Forms)
            for (const char *p = form.data(), *end = p + form.size();
                 (p = static_cast<const char*>(std::memchr(p, '\'', end - p))); ++p)
                ++quotes;
        benchmark::DoNotOptimize(quotes);
    }
    SetBytes(State, Data().FormBytes);
}

void Walk(benchmark::State& State) {
    const TFormSkipLists skip = DefaultLists();
    for (auto _ : State) {
        size_t values = 0;
        for (const std::string& form : Data().Forms)
            WalkFormText(form, skip, [&](const TFormValue& Value, const TFormTextParser&) {
                values += Value.Text.size();
            });
        benchmark::DoNotOptimize(values);
    }
    SetBytes(State, Data().FormBytes);
}

// All 1,000 forms into a fresh document, as values of one language.
void Import(benchmark::State& State) {
    int added = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto document = std::make_unique<TLexDocument>();
        State.ResumeTiming();
        {
            TLexTreeUpdate update(document->Tree());
            TFormImport import(*document, {"1252", DefaultLists()});
            for (const std::string& form : Data().Forms)
                import.ImportFormText(form);
            added = import.AddedCount();
        }
        State.PauseTiming();
        document.reset();
        State.ResumeTiming();
    }
    State.counters["keys"] = added;
    SetBytes(State, Data().FormBytes);
}

void Export(benchmark::State& State, const std::string* Form) {
    const TLexDocument& document = Data().Document;
    const TFormKeyExport exporter(document, *document.Tree().Band(1), DefaultLists());
    int replaced = 0;
    for (auto _ : State) {
        replaced = 0;
        benchmark::DoNotOptimize(exporter.ExportKeysToFormText(*Form, replaced));
    }
    if (replaced == 0) State.SkipWithError("nothing was replaced");
    SetBytes(State, Form->size());
}

double MBps(const lexbench::RatioReporter& R, const char* Name) {
    const lexbench::RunFigures* run = R.Find(Name);
    return run ? run->BytesPerSecond / 1e6 : 0;
}

void PrintTable(const lexbench::RatioReporter& R) {
    const Fixture& data = Data();
    R.Print("\nForm files: %d forms, %.1f MB of form text; export of one form of %.2f MB and "
            "%.2f MB\n",
            FormCount, static_cast<double>(data.FormBytes) / 1e6,
            static_cast<double>(data.Small.size()) / 1e6,
            static_cast<double>(data.Large.size()) / 1e6);
    R.Print("%-30s %9s %9s   goal\n", "", "MB/s", "x scan");
    const double walk = MBps(R, "walk/1000");
    R.Print("%-30s %9.0f %9.1f   >= %.0f MB/s %s\n", "walk, default skip lists", walk,
            R.TimeRatio("walk/1000", "scan/1000"), WalkGoalMBps,
            lexbench::GoalMark(walk >= WalkGoalMBps));
    R.Print("%-30s %9.0f %9.1f\n", "import into a new document", MBps(R, "import/1000"),
            R.TimeRatio("import/1000", "scan/1000"));
    R.Print("%-30s %9.0f\n", "export, one form 1x", MBps(R, "export/1x"));
    R.Print("%-30s %9.0f\n", "export, one form 4x", MBps(R, "export/4x"));
    const double growth = R.TimeRatio("export/4x", "export/1x");
    R.Print("%-30s %9.2f             <= %.1f (linear) %s\n", "export time 4x / 1x", growth,
            LinearBound, lexbench::GoalMark(growth > 0 && growth <= LinearBound));
}

} // namespace

int main(int argc, char** argv) {
    Data();
    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("scan/1000", Scan)->Unit(ms);
    benchmark::RegisterBenchmark("walk/1000", Walk)->Unit(ms);
    benchmark::RegisterBenchmark("import/1000", Import)->Unit(ms);
    benchmark::RegisterBenchmark("export/1x", Export, &Data().Small)->Unit(ms);
    benchmark::RegisterBenchmark("export/4x", Export, &Data().Large)->Unit(ms);
    return lexbench::RunBenchmarks(argc, argv, PrintTable);
}
