#include "cli/LexTool.h"

#include "cli/LexToolSupport.h"
#include "formfiles/FormFileFormats.h"
#include "interchange/InterchangeFormats.h"
#include "platform/Exceptions.h"
#include "runtime/LexFiles.h"

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <iostream>

namespace lex {
namespace {

using cli::Arguments;
using cli::Command;
using cli::UsageError;

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

constexpr const char* LenientHelp =
    "  --lenient  read a damaged text lexicon as applications do instead of failing\n"
    "             with its first faulty line\n";

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

std::vector<Command> Commands() {
    std::vector<Command> all;
    for (const std::vector<Command>& area :
         {cli::LexiconCommands(), cli::FormCommands(), cli::DatabaseCommands(),
          cli::InterchangeCommands(), cli::CheckCommands()})
        all.insert(all.end(), area.begin(), area.end());
    return all;
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
        out << "  " << std::left << std::setw(11) << extensions << std::setw(13) << format->ID
            << format->Description
            << (format == &DefaultLexFormat() ? ", also any other extension" : "") << '\n';
    }
    out << "\nForm files (.dfm, .lfm) may be text, binary or resource-wrapped binary forms. The "
           "names\nof --skip-ident and --skip-class are comma-separated and replace the default "
           "lists;\nan empty LIST (\"\") skips nothing.\n";
    out << "\nA text lexicon whose lines are damaged (a quoted value never closed, a record "
           "whose\nnumber of fields differs from the header's, bytes after the last record) "
           "makes a\ncommand that reads it fail, naming the first faulty line; --lenient reads it "
           "as\napplications do.\n";
    out << "\nEach command explains itself with --help. Exit codes: 0 done, 1 failed, 2 usage.\n";
}

} // namespace

LexToolModules::LexToolModules() {
    RegisterInterchangeFormats();
    RegisterFormFileFormats();
}

int RunLexTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(args.empty() ? err : out);
        return args.empty() ? ExitUsage : 0;
    }
    const std::vector<Command> commands = Commands();
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
            if (*command->details) out << '\n' << command->details;
            if (std::ranges::find(command->flags, "lenient") != command->flags.end())
                out << LenientHelp;
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
