#pragma once

// What the subcommands of lextool share: their arguments and errors, the
// command table's rows, and helpers that several commands use.
#include "editor/LexLoader.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

class TCustomStreamLexReader;
class TLexDocument;
struct TLexBand;
struct TLexEditorOptions;

namespace cli {

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

struct Command {
    std::string name;
    std::string usage;
    std::vector<std::string> valued;
    std::vector<std::string> flags;
    size_t minArgs;
    size_t maxArgs;
    std::function<void(const Arguments&, std::istream&, std::ostream&, std::ostream&)> run;
    // What the command does and what each option means, for --help.
    const char* details = "";
};

// The commands of each area, in the order the help lists them.
const std::vector<Command>& LexiconCommands();
const std::vector<Command>& FormCommands();
// One export and one import command per translators' format registered.
std::vector<Command> InterchangeCommands();
const std::vector<Command>& CheckCommands();
const std::vector<Command>& DatabaseCommands();

// The editor options a command's --case-sensitive and --lenient ask for.
TLexEditorOptions EditorOptions(const Arguments& a);

// The bytes of lexicon FileName, to be read with --reader-id's reader or the
// one its extension names. Unless --lenient, a text lexicon whose structure
// is damaged is refused with its first faulty line, before anything is done.
std::string ReadLexiconBytes(const Arguments& a, const std::string& FileName);
// Its reader.
std::unique_ptr<TCustomStreamLexReader> OpenLexicon(const Arguments& a,
                                                    const std::string& FileName);

// Each byte becomes the code point of the same number, so any value prints
// as pure-ASCII JSON and reads back byte for byte.
void WriteJsonString(std::ostream& out, std::string_view bytes);

// Splits "a,b,c" (blanks around the items dropped); an empty text gives no
// item.
std::vector<std::string> SplitList(const std::string& text);

// Answers the document's questions from the command line: the overwrite
// question (Answerer) with `answer`, while any message the document shows
// (a refusal) goes to standard error. With strict, the overwrite question is
// an error instead.
class ScriptedAnswers {
public:
    explicit ScriptedAnswers(std::ostream& err,
                             TOverwriteAnswer answer = TOverwriteAnswer::Overwrite,
                             bool strict = false);
    ~ScriptedAnswers() { SetMessageBoxHook(std::move(previous_)); }
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;
    const TOverwriteAnswerer& Answerer() const { return answerer_; }
    // How many overwrite questions were answered.
    int Answered() const { return answered_; }

private:
    int answered_ = 0;
    TOverwriteAnswerer answerer_;
    MessageBoxHook previous_;
};

// A lexicon text as UTF-8 for people: decoded from its code page, quoted
// as a JSON string.
void WriteJsonText(std::ostream& out, std::string_view bytes, int codePage);

// The band of CodePage in the lexicon read from FileName, which names it in
// the error when there is none.
TLexBand& LanguageBand(TLexDocument& Document, const std::string& CodePage,
                       const std::string& FileName);

} // namespace cli
} // namespace lex
