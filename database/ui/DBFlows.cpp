#include "database/ui/DBFlows.h"

#include "database/DBSchema.h"
#include "database/SQLConnection.h"
#include "database/ui/EditorDataSets.h"
#include "editor/LexTableSync.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "runtime/LumoMultiDBLexReader.h"

#include <QCheckBox>

namespace lex {
namespace {

// The table chosen in the dialog, titled Caption; empty when the user
// cancels. Clear, when given (the save flow), offers "Clear Table Before
// Save" and the name of a new table, and says whether it was checked.
std::string ChooseTable(const TDBSource& Source, QWidget* Owner, const char* Caption,
                        bool* Clear = nullptr) {
    TFormOpenDB dialog(Source, Owner);
    dialog.setWindowTitle(QString::fromLatin1(Caption));
    dialog.CheckBox_Clear->setEnabled(Clear != nullptr);
    if (Clear) dialog.OfferNewTable();
    if (dialog.exec() != QDialog::Accepted) return {};
    if (Clear) *Clear = dialog.CheckBox_Clear->isChecked();
    return dialog.ChosenTable();
}

void Bind(TFormLexEditor& Editor, const TSQLConnection& Connection, const std::string& TableName) {
    Editor.Document().BindTable(TableName, TableTitle(Connection, TableName));
    Editor.RefreshCaption();
}

// A table that is not there yet (a team server's new lexicon) is offered to
// be made with the default columns; No leaves the open to fail as it will.
void OfferToCreate(TFormLexEditor& Editor, TSQLConnection& Connection,
                   const std::string& TableName) {
    if (Connection.HasTable(TableName)) return;
    const TLexDocument& document = Editor.Document();
    if (ShowMessageBox(&Editor,
                       FormatText(document.TranslateGUI(
                                      "The table %s does not exist. Create it with the default "
                                      "columns?"),
                                  {TableName}),
                       document.TranslateGUI("Confirm"),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        Connection.ExecuteDirect(CreateTableStatement(TableName));
}

// Binds the editor to the table before the table opens, as a failed open
// leaves it, then loads it. A name that is no table name binds nothing.
void OpenInto(TFormLexEditor& Editor, TSQLClientDataSet& Table, const std::string& TableName,
              const TLexProgressEvent& OnProgress) {
    CheckTableName(TableName);
    OfferToCreate(Editor, Table.Connection(), TableName);
    Bind(Editor, Table.Connection(), TableName);
    Table.Close();
    Table.Open(TableName);
    OpenDataSet(Editor.Document(), Table, Editor.AskOverwrite(), OnProgress);
}

TApplyCounts Synchronise(TFormLexEditor& Editor, TSQLClientDataSet& Table,
                         const TLexProgressEvent& OnProgress) {
    return SaveToTable(
        Editor.Document(), Table,
        [&Table](const TLexProgressEvent& Progress) { return Table.ApplyUpdates(Progress); }, false,
        {}, OnProgress);
}

} // namespace

std::string TableTitle(const TSQLConnection& Connection, std::string_view TableName) {
    return Connection.ParamValue("HostName") + " : " + Connection.ParamValue("Database") + " : " +
           std::string(TableName);
}

void OpenFromDB(const TDBSource& Source, QWidget* Owner,
                const std::function<TFormLexEditor&()>& Target,
                const TLexProgressEvent& OnProgress) {
    const std::string table = ChooseTable(Source, Owner, "Open From DB...");
    if (table.empty()) return;
    TFormLexEditor& editor = Target();
    TWaitCursor wait;
    TSQLClientDataSet& lex = TEditorDataSets::Of(editor).CDS_Lex;
    CopyConnection(*Source.EditConnection, lex.Connection());
    OpenInto(editor, lex, table, OnProgress);
}

void OpenTableAtStart(TFormLexEditor& Editor, const TDBSettings& Settings,
                      const std::string& TableName, const TLexProgressEvent& OnProgress) {
    TWaitCursor wait;
    TSQLClientDataSet& lex = TEditorDataSets::Of(Editor).CDS_Lex;
    lex.Close();
    ConfigureConnection(lex.Connection(), Settings);
    OpenInto(Editor, lex, TableName, OnProgress);
}

TImportTable::TImportTable(TFormLexEditor& Editor, const TDBSource& Source,
                           const std::string& TableName)
    : table_(TEditorDataSets::Of(Editor).CDS_Import) {
    table_.Close();
    CopyConnection(*Source.EditConnection, table_.Connection());
    try {
        table_.Open(TableName);
    } catch (...) {
        table_.Close();
        throw;
    }
}

TImportTable::~TImportTable() {
    table_.Close();
}

void ImportFromDB(TFormLexEditor& Editor, const TDBSource& Source,
                  const TLexProgressEvent& OnProgress) {
    Editor.PostEdit();
    const std::string table = ChooseTable(Source, &Editor, "Import From DB...");
    if (table.empty()) return;
    TWaitCursor wait;
    TImportTable import(Editor, Source, table);
    TDBLexReader reader(import.DataSet());
    MergeFromReader(Editor.Document(), reader, Editor.AskOverwrite(), OnProgress);
}

void SaveToDB(TFormLexEditor& Editor, const TDBSource& Source,
              const TLexProgressEvent& OnProgress) {
    Editor.PostEdit();
    bool clear = false;
    const std::string table = ChooseTable(Source, &Editor, "Save To DB...", &clear);
    if (table.empty()) return;
    CheckTableName(table);
    TWaitCursor wait;
    TSQLClientDataSet& lex = TEditorDataSets::Of(Editor).CDS_Lex;
    CopyConnection(*Source.EditConnection, lex.Connection());
    lex.Close();
    OfferToCreate(Editor, lex.Connection(), table);
    lex.Open(table);
    // Emptied in the transaction that writes the rows back: a refused row
    // leaves the table as it was.
    if (clear) lex.ClearTable();
    Synchronise(Editor, lex, OnProgress);
    Bind(Editor, lex.Connection(), table);
}

TApplyCounts SaveToTable(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress) {
    Editor.PostEdit();
    TWaitCursor wait;
    TSQLClientDataSet& lex = TEditorDataSets::Of(Editor).CDS_Lex;
    const std::string& table = Editor.Document().TableName();
    // Against a dataset that never opened, the editor would be reported saved
    // with nothing written.
    if (!lex.Active() || lex.TableName() != table)
        throw EDatabaseError(FormatText(
            "The table %s is not open: open it again from the database before saving to it",
            {table}));
    return Synchronise(Editor, lex, OnProgress);
}

} // namespace lex
