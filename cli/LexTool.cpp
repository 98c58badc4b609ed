#include "cli/LexTool.h"

#include "editor/LexDocument.h"
#include "formfiles/BinaryFormText.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/MessageBox.h"
#include "runtime/ChineseGbBig5.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

namespace lex {
namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Reported with the command's usage line, unless the message shows the
// right form itself.
struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& Message, bool ShowUsage = true)
        : std::runtime_error(Message), showUsage(ShowUsage) {}
    bool showUsage;
};

// Positional arguments and --name [value] options of one subcommand.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // flags map to ""
    bool help = false;

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    std::string Option(const std::string& name) const {
        const auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }
};

// `valued` lists the options that take a value, `flags` those that do not.
Arguments Parse(const std::vector<std::string>& args, size_t first,
                const std::vector<std::string>& valued, const std::vector<std::string>& flags) {
    Arguments parsed;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg.starts_with("--") || arg == "-o") {
            const std::string name = arg == "-o" ? "output" : arg.substr(2);
            if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
                if (i + 1 == args.size()) throw UsageError("option " + arg + " needs a value");
                parsed.options[name] = args[++i];
            } else if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                parsed.options[name] = "";
            } else {
                throw UsageError("unknown option " + arg);
            }
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

// Each byte becomes the code point of the same number, so any value prints
// as pure-ASCII JSON and reads back byte for byte.
void WriteJsonString(std::ostream& out, std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string text = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"') {
            text += "\\\"";
        } else if (b == '\\') {
            text += "\\\\";
        } else if (b < 0x20 || b >= 0x7F) {
            text += "\\u00";
            text += hex[b >> 4];
            text += hex[b & 0xF];
        } else {
            text += c;
        }
    }
    text += '"';
    out << text;
}

struct Command {
    const char* name;
    const char* usage;
    std::vector<std::string> valued;
    std::vector<std::string> flags;
    size_t minArgs;
    size_t maxArgs;
    std::function<void(const Arguments&, std::istream&, std::ostream&, std::ostream&)> run;
};

void Convert(const Arguments& a, std::istream&, std::ostream&, std::ostream&) {
    const auto reader = OpenLexFile(a.positional[0], a.Option("reader-id"));
    WriteLexFile(*reader, a.positional[1]);
}

void Dump(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    const auto reader = OpenLexFile(a.positional[0], a.Option("reader-id"));
    ReadScope scope(*reader);
    const int fields = reader->FieldCount();
    out << "{\"fields\":[";
    for (int i = 0; i < fields; ++i) {
        if (i) out << ',';
        WriteJsonString(out, reader->FieldName(i));
    }
    out << "],\"recordCount\":" << reader->RecordCount() << "}\n";
    for (reader->First(); !reader->Eof(); reader->Next()) {
        out << '[';
        for (int i = 0; i < fields; ++i) {
            if (i) out << ',';
            if (reader->IsNull(i))
                out << "null";
            else
                WriteJsonString(out, reader->FieldValue(i));
        }
        out << "]\n";
    }
}

void Translate(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    const std::string& file = a.positional[0];
    TLumoMultiStreamLex lexicon;
    lexicon.LexReaderID =
        a.Has("reader-id") ? a.Option("reader-id") : std::string(LexFormatOf(file).ReaderID);
    lexicon.Dictionary.ReadData(ReadFileBytes(file));
    const std::string& key = a.positional[1];
    const std::string& codePage = a.positional[2];
    const std::string& seqNo = a.positional[3];
    out << (a.Has("words") ? lexicon.TranslateWords(key, codePage, seqNo)
                           : lexicon.Translate(key, codePage, seqNo));
}

void Chinese(const Arguments& a, std::istream& in, std::ostream& out, std::ostream&) {
    const std::string& direction = a.positional[0];
    if (direction != "gb2big5" && direction != "big52gb")
        throw UsageError("direction must be gb2big5 or big52gb");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    const TChineseGbBig5 converter;
    out << (direction == "gb2big5" ? converter.GbToBig5(text) : converter.Big5ToGb(text));
}

// Splits "a,b,c"; an empty text gives no item.
std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start < text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

// Answers the document's questions from the command line: the overwrite
// question with `answer`, anything else (a refusal) goes to standard error.
class ScriptedAnswers {
public:
    explicit ScriptedAnswers(int answer, std::ostream& err)
        : previous_(SetMessageBoxHook([answer, &err](TWindowHandle, const std::string& text,
                                                     const std::string& caption, unsigned flags) {
              if ((flags & 0x0F) == MB_YESNOCANCEL) return answer;
              err << caption << ": " << text << '\n';
              return DefaultMessageBoxAnswer(flags);
          })) {}
    ~ScriptedAnswers() { SetMessageBoxHook(std::move(previous_)); }

private:
    MessageBoxHook previous_;
};

int ParseAnswer(const std::string& text) {
    if (text.empty() || text == "yes") return IDYES;
    if (text == "no") return IDNO;
    if (text == "cancel") return IDCANCEL;
    throw UsageError("--answer must be yes, no or cancel");
}

// The output is named by an option, as msgcat and lconvert do: the old
// "merge OUT IN..." form silently replaced a file meant as an input.
void Merge(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    if (!a.Has("output"))
        throw UsageError("the output is named with -o: lextool merge IN [IN...] -o OUT", false);
    const int answer = ParseAnswer(a.Option("answer"));
    TLexEditorOptions options;
    options.CaseSensitive = a.Has("case-sensitive");
    TLexDocument document(options);
    const ScriptedAnswers answers(answer, err);
    document.OpenFile(a.positional[0]);
    for (size_t i = 1; i < a.positional.size(); ++i)
        document.ImportFile(a.positional[i]);
    document.SaveToFile(false, {}, {}, a.Option("output"));
}

// The band of CodePage in the lexicon read from FileName, which names it in
// the error when there is none.
TLexBand& LanguageBand(TLexDocument& Document, const std::string& CodePage,
                       const std::string& FileName) {
    const TLexTree& tree = Document.Tree();
    for (int i = 1; i < tree.BandCount(); ++i)
        if (Document.CompareLexText(TLexDocument::BandCodePage(*tree.Band(i)), CodePage) == 0)
            return *tree.Band(i);
    throw Exception("no language " + CodePage + " in " + FileName);
}

void Export(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    TLexDocument document;
    const ScriptedAnswers answers(IDYES, err);
    document.OpenFile(a.positional[0]);
    std::vector<TLexBand*> filter;
    for (const std::string& codePage : SplitList(a.Option("languages")))
        filter.push_back(&LanguageBand(document, codePage, a.positional[0]));
    const bool nodesOnly = a.Has("nodes");
    for (const std::string& key : SplitList(a.Option("nodes"))) {
        TTreeNode* node = document.FindNodeByKey(key);
        if (!node) throw Exception("no key \"" + key + "\" in " + a.positional[0]);
        document.Tree().Select(node);
    }
    if (nodesOnly && document.Tree().SelectionCount() == 0)
        throw UsageError("--nodes needs at least one key");
    document.SaveToFile(nodesOnly, filter, {}, a.positional[1]);
}

void Tree(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    TLexEditorOptions options;
    options.CaseSensitive = a.Has("case-sensitive");
    TLexDocument document(options);
    const ScriptedAnswers answers(IDYES, err);
    document.OpenFile(a.positional[0]);
    const TLexTree& tree = document.Tree();
    for (const TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        int depth = 0;
        for (const TTreeNode* up = node->Parent(); up; up = up->Parent())
            ++depth;
        out << std::string(static_cast<size_t>(depth) * 2, ' ');
        WriteJsonString(out, document.Key(node));
        for (int c = 1; c < tree.ColumnCount(); ++c) {
            const std::string_view value = tree.Value(node, c);
            if (value.empty()) continue;
            out << ' ' << TLexDocument::BandCodePage(*tree.Column(c)->Band) << '/'
                << tree.Column(c)->Caption << '=';
            WriteJsonString(out, value);
        }
        out << '\n';
    }
}

void DfmText(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    const std::string& file = a.positional[0];
    std::string text;
    NameFormFileInErrors(file, [&] { text = ReadFormText(file); });
    out << text;
}

// A given list replaces the default one; an empty one skips nothing. Blanks
// around the names are dropped: form-text identifiers hold none.
TFormSkipList SkipListOption(const Arguments& a, const std::string& Name,
                             const std::vector<std::string>& Defaults) {
    if (!a.Has(Name)) return TFormSkipList(Defaults);
    std::vector<std::string> names;
    for (std::string item : SplitList(a.Option(Name))) {
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        if (!item.empty()) names.push_back(std::move(item));
    }
    return TFormSkipList(names);
}

TFormSkipLists SkipListOptions(const Arguments& a) {
    return {SkipListOption(a, "skip-ident", DefaultSkipIdents()),
            SkipListOption(a, "skip-class", DefaultSkipClasses())};
}

bool IsFormFileName(const std::string& FileName) {
    std::string extension = std::filesystem::path(FileName).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".dfm" || extension == ".lfm";
}

// OUT comes first, as in "convert": a form file there is a swapped command
// line, which would otherwise overwrite that form with a lexicon.
void DfmImport(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    const std::string& output = a.positional[0];
    const std::vector<std::string> files(a.positional.begin() + 1, a.positional.end());
    if (IsFormFileName(output) || std::find(files.begin(), files.end(), output) != files.end())
        throw UsageError("OUT names a form file: " + output);
    if (a.Has("as-key") && a.Has("as-value"))
        throw UsageError("--as-key and --as-value exclude each other");
    TFormImportSettings settings;
    settings.CodePage = a.Option("as-value");
    if (a.Has("as-value") && !IsDigits(settings.CodePage))
        throw UsageError("--as-value needs a code page number, not \"" + settings.CodePage + "\"");
    settings.Skip = SkipListOptions(a);
    TLexEditorOptions options;
    options.CaseSensitive = a.Has("case-sensitive");
    TLexDocument document(options);
    const ScriptedAnswers answers(IDYES, err);
    if (a.Has("into")) document.OpenFile(a.Option("into"));
    ImportFormFiles(document, files, settings);
    document.SaveToFile(false, {}, {}, output);
}

void DfmExport(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    const std::vector<std::string> files(a.positional.begin() + 2, a.positional.end());
    if (std::find(files.begin(), files.end(), a.positional[0]) != files.end())
        throw UsageError("FILE names the lexicon: " + a.positional[0]);
    TLexDocument document;
    const ScriptedAnswers answers(IDYES, err);
    document.OpenFile(a.positional[0]);
    const TLexBand& band = LanguageBand(document, a.positional[1], a.positional[0]);
    ExportKeysToFormFiles(document, band, files, SkipListOptions(a));
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"convert", "lextool convert IN OUT [--reader-id ID]", {"reader-id"}, {}, 2, 2, Convert},
        {"dump", "lextool dump FILE [--reader-id ID]", {"reader-id"}, {}, 1, 1, Dump},
        {"translate",
         "lextool translate FILE KEY CODEPAGE SEQNO [--reader-id ID] [--words]",
         {"reader-id"},
         {"words"},
         4,
         4,
         Translate},
        {"chinese",
         "lextool chinese gb2big5|big52gb  (standard input to standard output)",
         {},
         {},
         1,
         1,
         Chinese},
        {"merge",
         "lextool merge IN [IN...] -o|--output OUT [--answer yes|no|cancel] [--case-sensitive]",
         {"output", "answer"},
         {"case-sensitive"},
         1,
         SIZE_MAX,
         Merge},
        {"export",
         "lextool export IN OUT [--languages CP,CP...] [--nodes KEY,KEY...]",
         {"languages", "nodes"},
         {},
         2,
         2,
         Export},
        {"tree", "lextool tree FILE [--case-sensitive]", {}, {"case-sensitive"}, 1, 1, Tree},
        {"dfm-text", "lextool dfm-text FILE", {}, {}, 1, 1, DfmText},
        {"dfm-import",
         "lextool dfm-import OUT FILE... [--as-key | --as-value CODEPAGE] [--into LEXICON] "
         "[--case-sensitive] [--skip-ident LIST] [--skip-class LIST]",
         {"as-value", "into", "skip-ident", "skip-class"},
         {"as-key", "case-sensitive"},
         2,
         SIZE_MAX,
         DfmImport},
        {"dfm-export",
         "lextool dfm-export LEXICON CODEPAGE FILE... [--skip-ident LIST] [--skip-class LIST]",
         {"skip-ident", "skip-class"},
         {},
         3,
         SIZE_MAX,
         DfmExport},
    };
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: lextool COMMAND [ARGS]\n\n"
           "Reads, writes, merges and converts lexicon files, and moves the strings of form "
           "files\ninto lexicons and keys back. Commands:\n";
    for (const Command& command : Commands())
        out << "  " << command.usage << '\n';
    out << "\nThe extension of a file name picks its format (--reader-id ID overrides it when "
           "reading):\n";
    for (const TLexFormat* format : ListedLexFormats()) {
        std::string extensions;
        for (const std::string_view extension : format->ExtensionList())
            extensions.append(extensions.empty() ? "." : " .").append(extension);
        out << "  " << std::left << std::setw(11) << extensions << std::setw(13) << format->ReaderID
            << format->Description
            << (format == &DefaultLexFormat() ? ", also any other extension" : "") << '\n';
    }
    out << "\nForm files (.dfm, .lfm) may be text, binary or resource-wrapped binary forms. The "
           "names\nof --skip-ident and --skip-class are comma-separated and replace the default "
           "lists;\nan empty LIST (\"\") skips nothing.\n";
    out << "\nEach command prints its usage with --help. Exit codes: 0 done, 1 failed, 2 usage.\n";
}

} // namespace

int RunLexTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(args.empty() ? err : out);
        return args.empty() ? ExitUsage : 0;
    }
    const auto& commands = Commands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const Command& c) { return args[0] == c.name; });
    if (command == commands.end()) {
        err << "lextool: unknown command '" << args[0] << "' (see lextool --help)\n";
        return ExitUsage;
    }
    try {
        const Arguments parsed = Parse(args, 1, command->valued, command->flags);
        if (parsed.help) {
            out << "Usage: " << command->usage << '\n';
            return 0;
        }
        if (parsed.positional.size() < command->minArgs ||
            parsed.positional.size() > command->maxArgs)
            throw UsageError("wrong number of arguments");
        command->run(parsed, in, out, err);
        return 0;
    } catch (const EAbort&) {
        return ExitFailure; // the refusal has been reported already
    } catch (const UsageError& e) {
        err << "lextool " << command->name << ": " << e.what() << '\n';
        if (e.showUsage) err << "Usage: " << command->usage << '\n';
        return ExitUsage;
    } catch (const std::exception& e) {
        err << "lextool " << command->name << ": " << e.what() << '\n';
        return ExitFailure;
    }
}

} // namespace lex
