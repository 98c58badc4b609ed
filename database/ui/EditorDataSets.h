#pragma once

#include "database/SQLClientDataSet.h"

#include <QObject>

namespace lex {

class TFormLexEditor;

// An editor window's two datasets: CDS_Lex, the table the editor is bound
// to, and CDS_Import, the table an import or a grab reads. The editor window
// knows nothing of databases, so they hang on it as a child object, made at
// the first use and destroyed with the window.
//
// CDS_Lex reports what the server refuses while its changes are applied:
// each refused change asks "Continue warning?", and No silences the reports
// until the next batch; a row the dataset refuses to post is shown before
// its error ends the save. A row that someone else changed since it was read
// is shown with both values, and the user overwrites theirs, keeps theirs
// (the editor takes it) or skips it for now.
class TEditorDataSets : public QObject {
    Q_OBJECT
public:
    // The editor's datasets, made when it has none yet.
    static TEditorDataSets& Of(TFormLexEditor& Editor);

    TSQLClientDataSet CDS_Lex;
    TSQLClientDataSet CDS_Import;
    // The last answer to "Continue warning?": IDYES or IDNO.
    int FReconcileAnswer;

private:
    explicit TEditorDataSets(TFormLexEditor& Editor);
    void CDS_LexReconcileError(std::string_view Message, std::span<const TReconcileField> Fields);
    void CDS_LexPostError(std::string_view Message);
    TConflictAnswer CDS_LexConflict(const TRowConflict& Conflict);

    TFormLexEditor& editor_;
};

} // namespace lex
