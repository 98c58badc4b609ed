// The commands over database tables: listing them, loading one into a
// lexicon file, saving a lexicon into one, and grabbing from a lexicon file
// or a table.
#include "cli/LexToolSupport.h"
#include "database/DBSchema.h"
#include "database/SQLClientDataSet.h"
#include "editor/LexDocument.h"
#include "formfiles/LexGrab.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiDBLexReader.h"

#include <filesystem>
#include <ostream>
#include <sstream>

namespace lex::cli {

namespace {

// The options file's "DataBase" section; without --ini, the embedded
// database LexManager.db in the current folder.
TDBSettings Settings(const Arguments& a) {
    return ReadDBSettings(a.Has("ini")
                              ? a.Option("ini")
                              : (std::filesystem::current_path() / "LexManager.ini").string());
}

void DbTables(const Arguments& a, std::istream&, std::ostream& out, std::ostream&) {
    TSQLConnection connection;
    ConfigureConnection(connection, Settings(a));
    for (const std::string& table : connection.TableNames())
        out << table << '\n';
}

void DbLoad(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    TSQLClientDataSet table;
    ConfigureConnection(table.Connection(), Settings(a));
    table.Open(a.positional[0]);
    TLexDocument document;
    const ScriptedAnswers answers(IDYES, err);
    document.OpenDataSet(table);
    document.SaveToFile(false, {}, {}, a.positional[1]);
}

// Refused changes are reported one a line and make the command fail: a
// pipeline must not take a partial save for a whole one.
void DbSave(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    const std::string& tableName = a.positional[1];
    CheckTableName(tableName);
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(IDYES, err);
    document.OpenFile(a.positional[0]);
    TSQLClientDataSet table;
    ConfigureConnection(table.Connection(), Settings(a));
    if (a.Has("clear")) table.Connection().ExecuteDirect(DeleteAllStatement(tableName));
    table.Open(tableName);
    table.OnReconcileError = [&err](std::string_view Message,
                                    std::span<const TReconcileField> Fields) {
        err << "refused:";
        for (const TReconcileField& field : Fields)
            err << ' ' << field.Name << '=' << field.Value;
        err << ": " << Message << '\n';
    };
    const TTableSaveCounts counts =
        document.SaveToTable(table, [&table] { return table.ApplyUpdates(); }, false, {});
    out << counts.Updated << " updated, " << counts.Deleted << " deleted, " << counts.Appended
        << " appended, " << counts.Failed << " failed\n";
    if (counts.Failed > 0)
        throw Exception(std::to_string(counts.Failed) + " changes were refused by the database");
}

// LEXICON is opened and OUT saved as the editor does; SOURCE is a lexicon
// file, or with --table a table. The counts go to standard output.
void Grab(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    if (a.Has("by-key") && a.Has("by-value"))
        throw UsageError("--by-key and --by-value exclude each other");
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(IDYES, err);
    document.OpenFile(a.positional[0]);
    std::ostringstream counts; // printed once OUT is written
    const auto grab = [&](ILexReader& Source) {
        if (a.Has("by-value")) {
            TLexBand& band = LanguageBand(document, a.Option("by-value"), a.positional[0]);
            const TGrabCounts grabbed = GrabByDisplayValue(document, Source, band);
            counts << grabbed.Changed << " keys taken, " << grabbed.KeyConflicts
                   << " passed over (another key has them)\n";
        } else {
            counts << GrabByKey(document, Source).Changed << " cells filled\n";
        }
    };
    if (a.Has("table")) {
        TSQLClientDataSet table;
        ConfigureConnection(table.Connection(), Settings(a));
        table.Open(a.positional[1]);
        TDBLexReader source(table);
        grab(source);
    } else {
        document.UseFileReader(a.positional[1], grab);
    }
    document.SaveToFile(false, {}, {}, a.positional[2]);
    out << counts.str();
}

} // namespace

const std::vector<Command>& DatabaseCommands() {
    static const std::vector<Command> commands = {
        {"db-tables",
         "lextool db-tables [--ini FILE]",
         {"ini"},
         {},
         0,
         0,
         DbTables,
         "Lists the user tables of the database.\n"
         "  --ini FILE  the options file whose [DataBase] section names the database;\n"
         "              without it, the embedded LexManager.db in the current folder\n"},
        {"db-load",
         "lextool db-load TABLE OUT [--ini FILE]",
         {"ini"},
         {},
         2,
         2,
         DbLoad,
         "Writes TABLE out as the lexicon file OUT, as the editor opens it.\n"
         "  --ini FILE  the options file whose [DataBase] section names the database;\n"
         "              without it, the embedded LexManager.db in the current folder\n"},
        {"db-save",
         "lextool db-save LEXICON TABLE [--clear] [--case-sensitive] [--ini FILE]",
         {"ini"},
         {"clear", "case-sensitive", "lenient"},
         2,
         2,
         DbSave,
         "Makes the rows of TABLE equal to the records of LEXICON, changing only what\n"
         "differs, and prints how many rows were updated, deleted, appended and refused;\n"
         "refused rows are listed on standard error and make it fail.\n"
         "  --clear           empty the table first\n"
         "  --case-sensitive  keys differing in case are different keys\n"
         "  --ini FILE  the options file whose [DataBase] section names the database;\n"
         "              without it, the embedded LexManager.db in the current folder\n"},
        {"grab",
         "lextool grab LEXICON SOURCE OUT [--by-key | --by-value CODEPAGE] [--table] "
         "[--case-sensitive] [--ini FILE]",
         {"by-value", "ini"},
         {"by-key", "table", "case-sensitive", "lenient"},
         3,
         3,
         Grab,
         "Fills LEXICON from SOURCE, as the editor's grab does, and saves it to OUT;\n"
         "prints what it changed.\n"
         "  --by-key            fill each empty cell whose key, language and sequence SOURCE\n"
         "                      has (default; adds languages and sequences as needed)\n"
         "  --by-value CODEPAGE give each key whose value in that language equals a value\n"
         "                      of SOURCE SOURCE's key; keys another node has are passed over\n"
         "  --table             SOURCE is a table of the database\n"
         "  --case-sensitive    keys differing in case are different keys\n"
         "  --ini FILE  the options file whose [DataBase] section names the database;\n"
         "              without it, the embedded LexManager.db in the current folder\n"},
    };
    return commands;
}

} // namespace lex::cli
