// The commands over form files: their text, the import of their strings
// and the export of keys into them.
#include "cli/LexToolSupport.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/NodeListLexReader.h"
#include "formfiles/BinaryFormText.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "platform/Exceptions.h"
#include "runtime/FileFormats.h"

#include <algorithm>
#include <ostream>

namespace lex::cli {

namespace {

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

// OUT comes first, as in "convert": a form file there is a swapped command
// line, which would otherwise overwrite that form with a lexicon.
void DfmImport(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    const std::string& output = a.positional[0];
    const std::vector<std::string> files(a.positional.begin() + 1, a.positional.end());
    if (FileFormatOf(TFileKind::Form, output) ||
        std::find(files.begin(), files.end(), output) != files.end())
        throw UsageError("OUT names a form file: " + output);
    if (a.Has("as-key") && a.Has("as-value"))
        throw UsageError("--as-key and --as-value exclude each other");
    TFormImportSettings settings;
    settings.CodePage = a.Option("as-value");
    if (a.Has("as-value") && !IsDigits(settings.CodePage))
        throw UsageError("--as-value needs a code page number, not \"" + settings.CodePage + "\"");
    settings.Skip = SkipListOptions(a);
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    if (a.Has("into")) OpenFile(document, a.Option("into"), answers.Answerer());
    ImportFormFiles(document, files, settings);
    WriteCopy(document, false, {}, {}, output);
}

void DfmExport(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    const std::vector<std::string> files(a.positional.begin() + 2, a.positional.end());
    if (std::find(files.begin(), files.end(), a.positional[0]) != files.end())
        throw UsageError("FILE names the lexicon: " + a.positional[0]);
    if (a.Has("output-dir") && a.Option("output-dir").empty())
        throw UsageError("--output-dir needs a folder");
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
    const TLexBand& band = LanguageBand(document, a.positional[1], a.positional[0]);
    ExportKeysToFormFiles(document, band, files, SkipListOptions(a), a.Option("output-dir"));
}

} // namespace

const std::vector<Command>& FormCommands() {
    static const std::vector<Command> commands = {
        {"dfm-text",
         "lextool dfm-text FILE",
         {},
         {},
         1,
         1,
         DfmText,
         "Prints the form text of a text, binary or resource-wrapped form file.\n"},
        {"dfm-import",
         "lextool dfm-import OUT FILE... [--as-key | --as-value CODEPAGE] [--into LEXICON] "
         "[--case-sensitive] [--skip-ident LIST] [--skip-class LIST]",
         {"as-value", "into", "skip-ident", "skip-class"},
         {"as-key", "case-sensitive", "lenient"},
         2,
         SIZE_MAX,
         DfmImport,
         "Adds every string of the form files that the lexicon does not hold yet as a\n"
         "top-level key and writes the lexicon to OUT (which must not be a form file).\n"
         "  --as-key            the strings become keys (default)\n"
         "  --as-value CODEPAGE they become values of that language under generated keys\n"
         "                      LexKey1, LexKey2, ...\n"
         "  --into LEXICON      start from this lexicon instead of an empty one\n"
         "  --case-sensitive    strings differing in case are different strings\n"
         "  --skip-ident LIST  comma-separated property names whose strings are left alone;\n"
         "                     *.X stands for every dotted name ending in .X (default\n"
         "                     Font.Name, SQL.Strings, Name, *.Name, LCLVersion, DataField\n"
         "                     and the other properties that hold no text)\n"
         "  --skip-class LIST  comma-separated classes whose objects are left alone (default\n"
         "                     TEdit, TMemo and the data-access classes); an empty LIST\n"
         "                     skips nothing\n"},
        {"dfm-export",
         "lextool dfm-export LEXICON CODEPAGE FILE... [--output-dir DIR] [--skip-ident LIST] "
         "[--skip-class LIST]",
         {"output-dir", "skip-ident", "skip-class"},
         {"lenient"},
         3,
         SIZE_MAX,
         DfmExport,
         "Writes into each form file, in place, the key of every string that equals a\n"
         "value of language CODEPAGE in LEXICON (ignoring case); only those strings change,\n"
         "and each file is replaced atomically (a binary form comes back as text).\n"
         "  --output-dir DIR   write every form into DIR under its own name instead, the\n"
         "                     unchanged ones too, and leave the originals as they are\n"
         "  --skip-ident LIST  comma-separated property names whose strings are left alone;\n"
         "                     *.X stands for every dotted name ending in .X (default\n"
         "                     Font.Name, SQL.Strings, Name, *.Name, LCLVersion, DataField\n"
         "                     and the other properties that hold no text)\n"
         "  --skip-class LIST  comma-separated classes whose objects are left alone (default\n"
         "                     TEdit, TMemo and the data-access classes); an empty LIST\n"
         "                     skips nothing\n"},
    };
    return commands;
}

} // namespace lex::cli
