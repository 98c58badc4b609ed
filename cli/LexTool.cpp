#include "cli/LexTool.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/ChineseGbBig5.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <cstdio>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

namespace lex {
namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
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
        } else if (arg.starts_with("--")) {
            const std::string name = arg.substr(2);
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
    std::function<void(const Arguments&, std::istream&, std::ostream&)> run;
};

void Convert(const Arguments& a, std::istream&, std::ostream&) {
    const auto reader = OpenLexFile(a.positional[0], a.Option("reader-id"));
    WriteLexFile(*reader, a.positional[1]);
}

void Dump(const Arguments& a, std::istream&, std::ostream& out) {
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

void Translate(const Arguments& a, std::istream&, std::ostream& out) {
    const std::string& file = a.positional[0];
    TLumoMultiStreamLex lexicon;
    lexicon.LexReaderID =
        a.Has("reader-id") ? a.Option("reader-id") : std::string(ReaderIDOf(LexFileFormatOf(file)));
    lexicon.Dictionary.ReadData(ReadFileBytes(file));
    const std::string& key = a.positional[1];
    const std::string& codePage = a.positional[2];
    const std::string& seqNo = a.positional[3];
    out << (a.Has("words") ? lexicon.TranslateWords(key, codePage, seqNo)
                           : lexicon.Translate(key, codePage, seqNo));
}

void Chinese(const Arguments& a, std::istream& in, std::ostream& out) {
    const std::string& direction = a.positional[0];
    if (direction != "gb2big5" && direction != "big52gb")
        throw UsageError("direction must be gb2big5 or big52gb");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    const TChineseGbBig5 converter;
    out << (direction == "gb2big5" ? converter.GbToBig5(text) : converter.Big5ToGb(text));
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
    };
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: lextool COMMAND [ARGS]\n\n"
           "Reads, writes and converts lexicon files (.lxb binary, .lxd form notation,\n"
           "anything else CSV style). Commands:\n";
    for (const Command& command : Commands())
        out << "  " << command.usage << '\n';
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
        command->run(parsed, in, out);
        return 0;
    } catch (const UsageError& e) {
        err << "lextool " << command->name << ": " << e.what() << "\nUsage: " << command->usage
            << '\n';
        return ExitUsage;
    } catch (const std::exception& e) {
        err << "lextool " << command->name << ": " << e.what() << '\n';
        return ExitFailure;
    }
}

} // namespace lex
