// The commands over database tables: listing them, loading one into a
// lexicon file, saving a lexicon into one, and grabbing from a lexicon file
// or a table.
#include "cli/LexToolSupport.h"
#include "database/DBSchema.h"
#include "database/SQLClientDataSet.h"
#include "database/TableRows.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/LexTableSync.h"
#include "editor/NodeListLexReader.h"
#include "formfiles/LexGrab.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
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

// The rows go straight into the document, none held on the way: nothing is
// saved back to this table.
void DbLoad(const Arguments& a, std::istream&, std::ostream&, std::ostream& err) {
    CheckTableName(a.positional[0]);
    TSQLConnection connection;
    ConfigureConnection(connection, Settings(a));
    TTableRows rows(connection.Database(), a.positional[0]);
    TTableLexReader reader(rows);
    TLexDocument document;
    const ScriptedAnswers answers(err);
    LoadFromReader(document, reader, answers.Answerer());
    WriteCopy(document, false, {}, {}, a.positional[1]);
}

// One line a conflict: where, then both values ("(deleted)" for a row that is gone).
void ReportConflict(std::ostream& Err, const TRowConflict& Conflict) {
    const auto row = Conflict.Yours.empty() ? Conflict.Theirs : Conflict.Yours;
    const auto value = [](std::span<const TReconcileField> Fields) {
        return Fields.empty() ? std::string("(deleted)")
                              : '"' + std::string(FieldValue(Fields, DisplayValueField)) + '"';
    };
    Err << "conflict: " << FieldValue(row, LexKeyField) << ' ' << FieldValue(row, CodePageField)
        << ' ' << FieldValue(row, SeqNoField) << ": theirs " << value(Conflict.Theirs) << ", yours "
        << value(Conflict.Yours) << '\n';
}

// Refused changes and conflicts are reported one a line and make the command
// fail: a pipeline must not take a partial save for a whole one.
void DbSave(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    const std::string& tableName = a.positional[1];
    CheckTableName(tableName);
    if (a.Has("base") && a.Has("clear")) throw UsageError("--base and --clear exclude each other");
    const ScriptedAnswers answers(err);
    TLexDocument document(EditorOptions(a));
    OpenFile(document, a.positional[0], answers.Answerer());
    TLexDocument base(EditorOptions(a));
    if (a.Has("base")) OpenFile(base, a.Option("base"), answers.Answerer());

    TSQLClientDataSet table;
    ConfigureConnection(table.Connection(), Settings(a));
    if (!table.Connection().HasTable(tableName)) {
        if (!a.Has("create"))
            throw Exception(
                FormatText("The table %s does not exist (--create makes it)", {tableName}));
        table.Connection().ExecuteDirect(CreateTableStatement(tableName));
    }
    table.Open(tableName);
    if (a.Has("base")) {
        const auto rows = CreateNodeListReader(base, false, {});
        table.AssumeRows(*rows);
    }
    if (a.Has("clear")) table.ClearTable();
    table.OnReconcileError = [&err](std::string_view Message,
                                    std::span<const TReconcileField> Fields) {
        err << "refused:";
        for (const TReconcileField& field : Fields)
            err << ' ' << field.Name << '=' << field.Value;
        err << ": " << Message << '\n';
    };
    // Against the table as read now, a conflict is a change made during the
    // save itself, and the lexicon wins; against BASE, the other person's
    // change stays.
    table.OnConflict = [&](const TRowConflict& Conflict) {
        if (!a.Has("base")) return TConflictAnswer::Overwrite;
        ReportConflict(err, Conflict);
        return TConflictAnswer::Skip;
    };
    const TApplyCounts counts = SaveToTable(
        document, table,
        [&table](const TLexProgressEvent& Progress) { return table.ApplyUpdates(Progress); }, false,
        {});
    out << counts.Updated << " updated, " << counts.Deleted << " deleted, " << counts.Inserted
        << " appended, " << counts.Refused << " failed, " << counts.Conflicts << " conflicts\n";
    if (counts.Refused > 0)
        throw Exception(std::to_string(counts.Refused) + " changes were refused by the database");
    if (counts.Conflicts > 0)
        throw Exception(std::to_string(counts.Conflicts) +
                        " rows were changed by someone else since BASE and were left as they are");
}

// LEXICON is opened and OUT saved as the editor does; SOURCE is a lexicon
// file, or with --table a table. The counts go to standard output.
void Grab(const Arguments& a, std::istream&, std::ostream& out, std::ostream& err) {
    if (a.Has("by-key") && a.Has("by-value"))
        throw UsageError("--by-key and --by-value exclude each other");
    TLexDocument document(EditorOptions(a));
    const ScriptedAnswers answers(err);
    OpenFile(document, a.positional[0], answers.Answerer());
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
        UseFileReader(document, a.positional[1], grab);
    }
    WriteCopy(document, false, {}, {}, a.positional[2]);
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
         "lextool db-save LEXICON TABLE [--base BASE | --clear] [--create] [--case-sensitive] "
         "[--ini FILE]",
         {"ini", "base"},
         {"clear", "create", "case-sensitive", "lenient"},
         2,
         2,
         DbSave,
         "Without --base: makes the rows of TABLE equal to the records of LEXICON,\n"
         "changing only what differs; rows someone else changed or added since are\n"
         "overwritten, and rows LEXICON lacks are deleted, whoever wrote them.\n"
         "With --base: a team's save. BASE is the lexicon as it was loaded from TABLE\n"
         "(by db-load); only what differs between BASE and LEXICON is applied, and a row\n"
         "that no longer equals BASE is a conflict: left as it is and listed on standard\n"
         "error with both values (theirs, yours).\n"
         "Prints how many rows were updated, deleted, appended, refused and in conflict;\n"
         "refusals and conflicts make it fail. When the connection is lost, what was\n"
         "committed stays and it fails at once, saying how much was saved.\n"
         "  --base BASE       apply only the changes from BASE to LEXICON (see above)\n"
         "  --clear           empty the table first, in the same transaction as the\n"
         "                    writing: a refused row leaves the table as it was\n"
         "  --create          create TABLE with the default columns when it does not exist\n"
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
