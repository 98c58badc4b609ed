#pragma once

#include "database/SQLClientDataSet.h"
#include "database/ui/FormOpenDB_U.h"
#include "editor/LexDocument.h"

#include <functional>
#include <string>

class QWidget;

namespace lex {

class TFormLexEditor;

// The flows of the Database menu and of "NAME /D". Each works under the
// hourglass and lets a failure propagate to the caller's report; what was
// done before it stays done.

// An editor bound to a table is titled "HostName : Database : table" from
// its connection's parameters (a missing one gives an empty part).
std::string TableTitle(const TSQLConnection& Connection, std::string_view TableName);

// The dialog, then the chosen table into Target(), which the flow asks for
// only on OK: the editor is emptied, loaded and bound to the table (bound
// first, so that a table that fails to open still names the editor).
void OpenFromDB(const TDBSource& Source, QWidget* Owner,
                const std::function<TFormLexEditor&()>& Target,
                const TLexProgressEvent& OnProgress);

// "NAME /D": the table into the editor without a dialog, connected with
// the options read at start.
void OpenTableAtStart(TFormLexEditor& Editor, const TDBSettings& Settings,
                      const std::string& TableName, const TLexProgressEvent& OnProgress);

// The editor's CDS_Import opened on a table through the edit connection,
// and closed again when this goes, also when the open fails: a table read
// for an import or a grab need not stay in memory twice.
class TImportTable {
public:
    TImportTable(TFormLexEditor& Editor, const TDBSource& Source, const std::string& TableName);
    ~TImportTable();
    TImportTable(const TImportTable&) = delete;
    TImportTable& operator=(const TImportTable&) = delete;
    TSQLClientDataSet& DataSet() { return table_; }

private:
    TSQLClientDataSet& table_;
};

// The dialog, then the chosen table merged into the editor; its title and
// binding stay.
void ImportFromDB(TFormLexEditor& Editor, const TDBSource& Source,
                  const TLexProgressEvent& OnProgress);

// The dialog with "Clear Table Before Save", then the editor synchronised
// into the chosen table, which it is bound to afterwards. Clearing and
// writing are all or nothing: when the server refuses a row, the table stays
// as it was and so does the editor's modified mark.
void SaveToDB(TFormLexEditor& Editor, const TDBSource& Source, const TLexProgressEvent& OnProgress);

// Save of a bound editor: synchronises it into its table against the rows
// its dataset holds from the last open or save. An editor whose table never
// opened is refused rather than reported saved.
TApplyCounts SaveToTable(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress);

} // namespace lex
