// The commands over translators' files: one language of a lexicon out to
// gettext PO, Qt TS or XLIFF, and a translator's file back in.
#include "cli/LexToolSupport.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/NodeListLexReader.h"
#include "interchange/LexInterchange.h"
#include "platform/Exceptions.h"

#include <ostream>

namespace lex::cli {

namespace {

// LEXICON CODEPAGE SEQNO OUT
void InterchangeExport(const TInterchangeFormat& Format, const Arguments& a, std::ostream& err) {
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
    const TLexColumn& column = LanguageColumn(document, a.positional[1], a.positional[2]);
    ExportLanguageToFile(document, column, a.positional[3], &Format, a.Option("language"));
}

// LEXICON CODEPAGE SEQNO IN OUT. The translations coming back win: the
// overwrite question is answered yes. Entries the code page cannot hold are
// reported one a line and make the exit code 1; the rest is written.
void InterchangeImport(const TInterchangeFormat& Format, const Arguments& a, std::ostream& err) {
    const std::string& input = a.positional[3];
    const std::string& output = a.positional[4];
    // A translator's file there is a swapped command line, which would
    // otherwise replace the translator's work with a lexicon.
    if (InterchangeFormatOf(output) || output == input)
        throw UsageError("OUT names a translator's file: " + output);
    if (!IsDigits(a.positional[1]))
        throw UsageError("CODEPAGE must be a number, not \"" + a.positional[1] + "\"");
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
    const std::vector<TImportProblem> problems = ImportLanguageFromFile(
        document, input, a.positional[1], a.positional[2], answers.Answerer(), &Format);
    WriteCopy(document, false, {}, {}, output);
    for (const TImportProblem& problem : problems)
        err << DescribeProblem(input, problem) << '\n';
    if (!problems.empty()) {
        err << "lextool: " << problems.size() << " entries not imported\n";
        throw EAbort();
    }
}

constexpr const char* ExportDetails =
    "Writes the values of one language (CODEPAGE, sequence SEQNO) of LEXICON for a\n"
    "translator: one entry per key, decoded from the code page, its parent key kept\n"
    "so that the import rebuilds the tree. OUT is replaced atomically.\n"
    "  --language LOCALE  the catalogue's language (default: the code page's)\n";

constexpr const char* ImportDetails =
    "Takes a translator's file IN back into LEXICON as the values of CODEPAGE and\n"
    "SEQNO and writes the result to OUT (a lexicon file). Keys match as a merge\n"
    "matches them and the translations win over differing values; unknown keys are\n"
    "added, obsolete entries skipped, an empty translation clears nothing. An entry\n"
    "whose text the code page cannot hold is reported with its line and left out;\n"
    "the rest is written and the exit code is 1.\n"
    "  --case-sensitive  keys that differ in case are different keys\n";

// "lextool po-export LEXICON CODEPAGE SEQNO OUT [--language LOCALE]"
Command ExportCommand(const TInterchangeFormat& Format) {
    const std::string name = std::string(Format.ID) + "-export";
    return {name,
            "lextool " + name + " LEXICON CODEPAGE SEQNO OUT [--language LOCALE]",
            {"language"},
            {"lenient"},
            4,
            4,
            [&Format](const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
                InterchangeExport(Format, a, err);
            },
            ExportDetails};
}

Command ImportCommand(const TInterchangeFormat& Format) {
    const std::string name = std::string(Format.ID) + "-import";
    return {name,
            "lextool " + name + " LEXICON CODEPAGE SEQNO IN OUT [--case-sensitive]",
            {},
            {"case-sensitive", "lenient"},
            5,
            5,
            [&Format](const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
                InterchangeImport(Format, a, err);
            },
            ImportDetails};
}

} // namespace

std::vector<Command> InterchangeCommands() {
    const std::vector<const TInterchangeFormat*> formats = InterchangeFormats();
    std::vector<Command> commands;
    for (const TInterchangeFormat* format : formats)
        commands.push_back(ExportCommand(*format));
    for (const TInterchangeFormat* format : formats)
        commands.push_back(ImportCommand(*format));
    return commands;
}

} // namespace lex::cli
