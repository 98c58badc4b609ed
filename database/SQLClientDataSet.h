#pragma once

#include "database/PackedValues.h"
#include "database/SQLConnection.h"
#include "database/TableRows.h"
#include "platform/Exceptions.h"
#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiLexReader.h"

#include <QMetaType>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// One field of a row, for the reports.
struct TReconcileField {
    std::string_view Name;
    std::string_view Value;
};

// The value of the field of that name (ignoring case) among Fields; empty
// when there is none.
std::string_view FieldValue(std::span<const TReconcileField> Fields, std::string_view Name);

using TReconcileErrorEvent =
    std::function<void(std::string_view Message, std::span<const TReconcileField> Fields)>;
using TPostErrorEvent = std::function<void(std::string_view Message)>;
using TBeforeApplyEvent = std::function<void()>;

// A change that met someone else's: the row as the server holds it now
// (Theirs, empty when it is gone) and as this dataset would write it (Yours,
// empty for a delete).
struct TRowConflict {
    std::span<const TReconcileField> Theirs;
    std::span<const TReconcileField> Yours;
};
enum class TConflictAnswer {
    Overwrite,  // write yours over theirs
    KeepTheirs, // the cached row becomes theirs; the change is dropped
    Skip,       // leave both; the change stays pending for a later apply
};
using TConflictEvent = std::function<TConflictAnswer(const TRowConflict&)>;

// The rows of a table held in memory, with the changes made to them kept
// pending until ApplyUpdates sends them to the server. It reads and writes
// through a connection of its own.
//
// Text is converted at this edge: the display value (the field named
// "DisplayValue") with the code page its row's "CodePage" field names, every
// other text with the process's code page. Large objects stay bytes.
class TSQLClientDataSet final : public TLexDataSet {
public:
    TSQLClientDataSet() = default;
    TSQLClientDataSet(const TSQLClientDataSet&) = delete;
    TSQLClientDataSet& operator=(const TSQLClientDataSet&) = delete;

    TSQLConnection& Connection() { return connection_; }

    // Reads every row of the table ("select * from " + TableName), opening
    // the connection if needed; the name is checked before anything is sent.
    // A value the conversion cannot take fails the open, naming its row and
    // field. An open dataset is closed first.
    void Open(std::string_view TableName);
    // Takes Reader's records as the rows the table held when it was read (a
    // lexicon loaded from it earlier), in place of the rows read now: later
    // changes are made against them, so a row that no longer holds them is a
    // conflict. Fields are matched by name; the table's others are null.
    void AssumeRows(ILexReader& Reader);
    // Drops the rows and any pending change; the connection stays as it is.
    void Close();
    bool Active() const { return active_; }
    const std::string& TableName() const { return tableName_; }

    void First() override;
    void Next() override;
    bool Eof() const override { return current_ >= rows_.size(); }
    int RecordCount() const override { return recordCount_; }
    int RecNo() const override { return recNo_; }
    int FieldCount() const override { return static_cast<int>(format_.Fields.size()); }
    std::string_view FieldName(int Index) const override;
    std::string_view FieldText(int Index) const override;
    bool IsNull(int Index) const override;
    bool IsBlob(int Index) const override;
    std::string_view BlobBytes(int Index) const override { return FieldText(Index); }
    void DisableControls() override { ++controlsDisabled_; }
    void EnableControls() override { --controlsDisabled_; }
    bool ControlsDisabled() const { return controlsDisabled_ > 0; }

    // Post refuses an integer field whose text is not a number (after telling
    // OnPostError); an empty text there is null.
    void Append() override;
    void Edit() override;
    void Delete() override;
    void SetFieldText(int Index, std::string_view Text) override;
    void LoadBlob(int Index, std::string_view Bytes) override { SetFieldText(Index, Bytes); }
    void Post() override;
    void Cancel() override;

    // The number of changes not yet on the server.
    int ChangeCount() const { return changeCount_; }
    // Marks the whole table to be emptied by the next apply, before the
    // changes made after this call; the cached rows go at once. That apply
    // is all or nothing: one transaction, and when the server refuses any
    // change, EDatabaseError and nothing changes on the server.
    void ClearTable();

    // Sends the pending changes in the order they were made, in transactions
    // of ApplyBatch changes, each change one statement with bound values.
    // A changed or deleted row is found by the values it had when read (of
    // the lexicon's fields, or of all fields when the table has none of
    // them), so a row that someone else changed meanwhile is never
    // overwritten unasked: it goes to OnConflict (no handler: Skip). A change
    // the server refuses, or whose text cannot be converted, is rolled back
    // alone and goes to OnReconcileError. Refused and skipped changes stay
    // pending and are tried again by the next apply, not by later batches of
    // this one. When the database stops taking changes, EDatabaseUnavailable
    // says how many of the changes reached it; the connection is closed so
    // that the next apply opens a new one. OnProgress hears after each batch.
    TApplyCounts ApplyUpdates(const TLexProgressEvent& OnProgress = {});
    static constexpr int ApplyBatch = 200;

    // Before each batch.
    TBeforeApplyEvent OnBeforeApply;
    TReconcileErrorEvent OnReconcileError;
    TConflictEvent OnConflict;
    TPostErrorEvent OnPostError;

private:
    using TValues = TPackedValues::TValues;
    enum class TRowState { Unchanged, Modified, Inserted, Deleted, Gone };
    struct TRow {
        TPackedValues Values;   // empty once deleted
        TPackedValues Original; // the server's values while Modified or Deleted
        TRowState State = TRowState::Unchanged;
        bool Pending = false;
        bool HeldBack = false; // refused or skipped by the running apply
    };
    enum class TEditState { Browse, Edit, Insert };
    enum class TChangeResult { Applied, KeptTheirs, Refused, Conflict };
    class TStatements;
    class TApplyTransaction;

    static bool Visible(const TRow& Row) {
        return Row.State != TRowState::Deleted && Row.State != TRowState::Gone;
    }
    void SkipHidden();
    // The value field Index shows: the row buffer's while editing; none at the end.
    std::optional<std::string_view> CurrentValue(int Index) const;
    void CheckActive() const;
    void MarkPending(size_t Row);
    QVariant BoundValue(int Field, const TPackedValues& Values) const;

    // Applying.
    void ApplyBatchOf(std::span<const size_t> Rows, TStatements& Statements, TApplyCounts& Counts);
    bool ApplyAllAtOnce(std::span<const size_t> Rows, TStatements& Statements,
                        TApplyCounts& Counts);
    TChangeResult ApplyCarefully(size_t Index, TApplyTransaction& Transaction,
                                 TStatements& Statements, TApplyCounts& Counts);
    // A change whose row is no longer what was read, against Theirs, the row
    // as the server holds it now (none when it is gone).
    TChangeResult Resolve(TRow& Row, const std::optional<TValues>& Theirs,
                          TApplyTransaction& Transaction, TStatements& Statements,
                          TApplyCounts& Counts);
    void ApplyClearing(std::span<const size_t> Rows, TStatements& Statements, TApplyCounts& Counts,
                       const std::function<void(size_t)>& Progress);
    // Runs a row's change as it stands; false when its row no longer holds
    // the original values.
    bool Run(const TRow& Row, TStatements& Statements);
    std::vector<int> ChangedFields(const TRow& Row) const;
    // What a change shares with the others one bulk statement carries (the
    // changed fields of an update; none for an insert), or none when it goes
    // alone.
    std::optional<std::vector<int>> BulkShape(const TRow& Row, bool Updates) const;
    // Runs changes of one shape, many to a statement; false when a row was
    // not found.
    bool RunMany(std::span<const size_t> Rows, TStatements& Statements);
    std::optional<TValues> Theirs(const TRow& Row, TStatements& Statements);
    std::vector<int> InsertFields() const;
    void Count(const TRow& Row, TApplyCounts& Counts) const;
    template <typename Values>
    std::vector<TReconcileField> Fields(const Values& Row) const;
    void Report(std::string_view Message, const TRow& Row) const;
    void Settle(TRow& Row);

    TSQLConnection connection_;
    bool active_ = false;
    std::string tableName_;
    TRowFormat format_;
    std::vector<int> whereFields_;    // the fields whose original values find a row
    std::vector<int> identityFields_; // the fields that find a row whatever its values
    std::vector<bool> supplied_;      // the fields given a value in an appended row
    bool textHoldsNul_ = true;        // PostgreSQL's text cannot
    std::vector<TRow> rows_;          // deleted rows stay, hidden, so that indexes hold
    std::vector<size_t> pending_;     // rows with changes, in the order of the first one
    int changeCount_ = 0;
    bool clearPending_ = false;
    size_t current_ = 0;
    int recNo_ = 0;
    int recordCount_ = 0;
    TEditState editState_ = TEditState::Browse;
    TValues buffer_;
    int controlsDisabled_ = 0;
};

} // namespace lex
