#pragma once

#include "database/PackedValues.h"
#include "database/SQLConnection.h"
#include "runtime/LexDataSet.h"

#include <QMetaType>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// One field of a row whose change the server refused, for the report.
struct TReconcileField {
    std::string_view Name;
    std::string_view Value;
};

using TReconcileErrorEvent =
    std::function<void(std::string_view Message, std::span<const TReconcileField> Fields)>;
using TPostErrorEvent = std::function<void(std::string_view Message)>;
using TBeforeApplyEvent = std::function<void()>;

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
    // Drops the rows and any pending change; the connection stays as it is.
    void Close();
    bool Active() const { return active_; }
    const std::string& TableName() const { return tableName_; }

    void First() override;
    void Next() override;
    bool Eof() const override { return current_ >= rows_.size(); }
    int RecordCount() const override { return recordCount_; }
    int RecNo() const override { return recNo_; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
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
    // Sends the pending changes in the order they were made, each as one
    // statement with bound values: rows are found by the table's primary key,
    // or by all their original values when it has none. The apply commits as
    // one transaction; a change the server refuses, or whose text cannot be
    // converted, is rolled back alone, goes to OnReconcileError and stays
    // pending. Returns the number of refused changes.
    int ApplyUpdates();

    TBeforeApplyEvent OnBeforeApply;
    TReconcileErrorEvent OnReconcileError;
    TPostErrorEvent OnPostError;

private:
    enum class TFieldKind { Text, Integer, Blob, Other };
    struct TField {
        std::string Name;
        QString SqlName; // quoted for statements
        TFieldKind Kind;
        QMetaType Type;
    };
    using TValues = TPackedValues::TValues;
    enum class TRowState { Unchanged, Modified, Inserted, Deleted, Gone };
    struct TRow {
        TPackedValues Values;   // empty once deleted
        TPackedValues Original; // the server's values while Modified or Deleted
        TRowState State = TRowState::Unchanged;
        bool Pending = false;
    };
    enum class TEditState { Browse, Edit, Insert };
    class TStatements;

    static bool Visible(const TRow& Row) {
        return Row.State != TRowState::Deleted && Row.State != TRowState::Gone;
    }
    void SkipHidden();
    // Every pending change in one transaction without savepoints; false,
    // with nothing applied, when one is refused.
    bool ApplyAllAtOnce(TStatements& Statements);
    // The value field Index shows: the row buffer's while editing; none at the end.
    std::optional<std::string_view> CurrentValue(int Index) const;
    // The text of the "CodePage" field among the values of a row.
    template <typename Values>
    std::string_view CodePageText(const Values& Row) const {
        if (codePageField_ < 0) return {};
        const auto& value = Row[static_cast<size_t>(codePageField_)];
        return value ? std::string_view(*value) : std::string_view();
    }
    void CheckActive() const;
    void ReadRows(QSqlQuery& Query);
    void MarkPending(size_t Row);
    QVariant BoundValue(int Field, const TPackedValues& Values) const;
    void Apply(TRow& Row, TStatements& Statements);
    void Report(std::string_view Message, const TRow& Row) const;
    void Settle(TRow& Row);

    TSQLConnection connection_;
    bool active_ = false;
    std::string tableName_;
    std::vector<TField> fields_;
    std::vector<int> keyFields_; // the fields that find a row on the server
    int displayField_ = -1;
    int codePageField_ = -1;
    std::vector<TRow> rows_;      // deleted rows stay, hidden, so that indexes hold
    std::vector<size_t> pending_; // rows with changes, in the order of the first one
    int changeCount_ = 0;
    size_t current_ = 0;
    int recNo_ = 0;
    int recordCount_ = 0;
    TEditState editState_ = TEditState::Browse;
    TValues buffer_;
    int controlsDisabled_ = 0;
};

} // namespace lex
