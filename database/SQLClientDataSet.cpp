#include "database/SQLClientDataSet.h"

#include "database/BulkStatements.h"
#include "database/DBSchema.h"
#include "database/DBText.h"
#include "database/TableRows.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LumoMultiLexReader.h"

#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <map>

namespace lex {
namespace {

std::optional<long long> ParseInteger(std::string_view Text) {
    long long value = 0;
    const char* end = Text.data() + Text.size();
    const auto [last, error] = std::from_chars(Text.data(), end, value);
    if (error != std::errc() || last != end) return std::nullopt;
    return value;
}

} // namespace

std::string_view FieldValue(std::span<const TReconcileField> Fields, std::string_view Name) {
    for (const TReconcileField& field : Fields)
        if (AnsiSameText(field.Name, Name)) return field.Value;
    return {};
}

// The statements of one apply, each prepared once and run for every change
// of its shape. Null values cannot be matched with "=", so a row is found by a
// statement of its own for each pattern of nulls among the values that find it.
class TSQLClientDataSet::TStatements {
public:
    TStatements(const TSQLClientDataSet& DataSet, QSqlDatabase Database)
        : dataSet_(DataSet), database_(std::move(Database)),
          table_(DatabaseText(DataSet.tableName_, ProcessCodePage())) {}

    QSqlDatabase& Database() { return database_; }

    QSqlQuery& Insert(const std::vector<int>& Fields) {
        return Prepared("I" + Pattern(Fields), [&] {
            const QStringList marks(Fields.size(), QStringLiteral("?"));
            return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table_, Names(Fields).join(u", "), marks.join(u", "));
        });
    }

    TBulkInsert& BulkInsert(const std::vector<int>& Fields) {
        auto it = bulkInserts_.find(Fields);
        if (it == bulkInserts_.end())
            it = bulkInserts_.try_emplace(Fields, database_, table_, Names(Fields)).first;
        return it->second;
    }

    TBulkUpdate& BulkUpdate(const std::vector<int>& Fields) {
        auto it = bulkUpdates_.find(Fields);
        if (it == bulkUpdates_.end())
            it = bulkUpdates_
                     .try_emplace(Fields, database_, table_, Names(Fields),
                                  Names(dataSet_.whereFields_))
                     .first;
        return it->second;
    }

    QSqlQuery& Update(const std::vector<int>& Fields, const TPackedValues& Original) {
        return Prepared("U" + Pattern(Fields) + NullPattern(Original), [&] {
            QStringList sets = Names(Fields);
            for (QString& set : sets)
                set += QStringLiteral(" = ?");
            return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(table_, sets.join(u", "), Where(dataSet_.whereFields_, Original));
        });
    }

    QSqlQuery& Delete(const TPackedValues& Original) {
        return Prepared("D" + NullPattern(Original), [&] {
            return QStringLiteral("DELETE FROM %1 WHERE %2")
                .arg(table_, Where(dataSet_.whereFields_, Original));
        });
    }

    QSqlQuery& Select(const TPackedValues& Identity) {
        return Prepared("S" + NullPattern(Identity, dataSet_.identityFields_), [&] {
            return QStringLiteral("SELECT * FROM %1 WHERE %2")
                .arg(table_, Where(dataSet_.identityFields_, Identity));
        });
    }

    QSqlQuery& Clear() {
        return Prepared("C", [&] {
            return DatabaseText(DeleteAllStatement(dataSet_.tableName_), ProcessCodePage());
        });
    }

private:
    QStringList Names(const std::vector<int>& Fields) const {
        QStringList names;
        for (const int field : Fields)
            names << dataSet_.format_.Fields[field].SqlName;
        return names;
    }

    static std::string Pattern(const std::vector<int>& Fields) {
        std::string pattern;
        for (const int field : Fields)
            pattern += std::to_string(field) + ',';
        return pattern;
    }

    std::string NullPattern(const TPackedValues& Values) const {
        return NullPattern(Values, dataSet_.whereFields_);
    }
    static std::string NullPattern(const TPackedValues& Values, const std::vector<int>& Fields) {
        std::string pattern = ":";
        for (const int field : Fields)
            pattern += Values[field] ? '1' : '0';
        return pattern;
    }

    QString Where(const std::vector<int>& Fields, const TPackedValues& Values) const {
        QStringList terms;
        for (const int field : Fields)
            terms << dataSet_.format_.Fields[field].SqlName +
                         (Values[field] ? QStringLiteral(" = ?") : QStringLiteral(" IS NULL"));
        return terms.join(u" AND ");
    }

    template <typename Sql>
    QSqlQuery& Prepared(const std::string& Key, Sql sql) {
        auto it = queries_.find(Key);
        if (it == queries_.end()) {
            QSqlQuery query(database_);
            if (!query.prepare(sql())) RaiseDatabaseError(database_, query.lastError());
            it = queries_.emplace(Key, std::move(query)).first;
        }
        return it->second;
    }

    const TSQLClientDataSet& dataSet_;
    QSqlDatabase database_;
    QString table_;
    std::map<std::string, QSqlQuery> queries_;
    std::map<std::vector<int>, TBulkInsert> bulkInserts_;
    std::map<std::vector<int>, TBulkUpdate> bulkUpdates_;
};

void TSQLClientDataSet::Open(std::string_view TableName) {
    CheckTableName(TableName); // before anything connects
    Close();
    QSqlDatabase database = connection_.Database();
    try {
        // Asked first: PostgreSQL streams the rows of a forward-only query and
        // drops them when another statement runs before they are all read.
        const QSqlIndex key = database.primaryIndex(DatabaseText(TableName, ProcessCodePage()));
        TTableRows rows(database, TableName);
        format_ = rows.Format();
        textHoldsNul_ = database.driverName() != u"QPSQL";

        // A row is found by what the lexicon knows of it, so that columns of
        // the table's own (a serial key, a time stamp) neither hide a change
        // of the lexicon nor make one.
        for (const std::string_view name :
             {LexKeyField, CodePageField, SeqNoField, DisplayValueField, CatalogIDField})
            if (const int field = FindField(name); field >= 0) whereFields_.push_back(field);
        std::vector<int> primary;
        for (int i = 0; i < key.count(); ++i)
            if (const int field = FindField(LexiconText(key.fieldName(i), ProcessCodePage()));
                field >= 0)
                primary.push_back(field);
        if (whereFields_.empty()) whereFields_ = primary;
        if (whereFields_.empty())
            for (int i = 0; i < FieldCount(); ++i)
                whereFields_.push_back(i);
        identityFields_ = {FindField(LexKeyField), FindField(CodePageField), FindField(SeqNoField)};
        if (std::find(identityFields_.begin(), identityFields_.end(), -1) != identityFields_.end())
            identityFields_ = primary;
        supplied_.assign(format_.Fields.size(), false);

        TValues values(format_.Fields.size());
        while (rows.Next(values))
            rows_.push_back({TPackedValues(values), {}, TRowState::Unchanged});
        recordCount_ = static_cast<int>(rows_.size());
    } catch (...) {
        Close();
        throw;
    }
    tableName_ = TableName;
    active_ = true;
    First();
}

void TSQLClientDataSet::AssumeRows(ILexReader& Reader) {
    CheckActive();
    Cancel();
    std::vector<int> fieldOf;
    for (int i = 0; i < Reader.FieldCount(); ++i)
        fieldOf.push_back(FindField(Reader.FieldName(i)));
    rows_.clear();
    pending_.clear();
    changeCount_ = 0;
    clearPending_ = false;
    TValues values(format_.Fields.size());
    const ReadScope scope(Reader);
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        std::fill(values.begin(), values.end(), std::nullopt);
        for (int i = 0; i < Reader.FieldCount(); ++i)
            if (fieldOf[i] >= 0 && !Reader.IsNull(i)) values[fieldOf[i]] = Reader.FieldValue(i);
        rows_.push_back({TPackedValues(values), {}, TRowState::Unchanged});
    }
    recordCount_ = static_cast<int>(rows_.size());
    First();
}

void TSQLClientDataSet::Close() {
    active_ = false;
    tableName_.clear();
    format_ = {};
    whereFields_.clear();
    identityFields_.clear();
    supplied_.clear();
    clearPending_ = false;
    textHoldsNul_ = true;
    rows_.clear();
    pending_.clear();
    changeCount_ = 0;
    current_ = 0;
    recNo_ = recordCount_ = 0;
    editState_ = TEditState::Browse;
    buffer_.clear();
}

void TSQLClientDataSet::SkipHidden() {
    while (current_ < rows_.size() && !Visible(rows_[current_]))
        ++current_;
}

void TSQLClientDataSet::First() {
    if (editState_ != TEditState::Browse) Post();
    current_ = 0;
    SkipHidden();
    recNo_ = Eof() ? 0 : 1;
}

void TSQLClientDataSet::Next() {
    if (editState_ != TEditState::Browse) Post();
    if (Eof()) return;
    ++current_;
    SkipHidden();
    if (!Eof()) ++recNo_;
}

std::optional<std::string_view> TSQLClientDataSet::CurrentValue(int Index) const {
    if (editState_ != TEditState::Browse) {
        const auto& value = buffer_[static_cast<size_t>(Index)];
        return value ? std::optional<std::string_view>(*value) : std::nullopt;
    }
    return Eof() ? std::nullopt : rows_[current_].Values[static_cast<size_t>(Index)];
}

std::string_view TSQLClientDataSet::FieldName(int Index) const {
    return format_.Fields[static_cast<size_t>(Index)].Name;
}

std::string_view TSQLClientDataSet::FieldText(int Index) const {
    return CurrentValue(Index).value_or(std::string_view());
}

bool TSQLClientDataSet::IsNull(int Index) const {
    return !CurrentValue(Index);
}

bool TSQLClientDataSet::IsBlob(int Index) const {
    return format_.Fields[static_cast<size_t>(Index)].Kind == TFieldKind::Blob;
}

void TSQLClientDataSet::CheckActive() const {
    if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TSQLClientDataSet::Append() {
    CheckActive();
    if (editState_ != TEditState::Browse) Post();
    buffer_.assign(format_.Fields.size(), std::nullopt);
    editState_ = TEditState::Insert;
}

void TSQLClientDataSet::Edit() {
    CheckActive();
    if (editState_ != TEditState::Browse) Post();
    if (Eof()) throw EDatabaseError("Cannot edit: the dataset has no current row");
    buffer_ = rows_[current_].Values.Unpack();
    editState_ = TEditState::Edit;
}

void TSQLClientDataSet::SetFieldText(int Index, std::string_view Text) {
    if (editState_ == TEditState::Browse)
        throw EDatabaseError("Dataset not in edit or insert mode");
    buffer_.at(static_cast<size_t>(Index)).emplace(Text);
    if (editState_ == TEditState::Insert) supplied_[static_cast<size_t>(Index)] = true;
}

void TSQLClientDataSet::Post() {
    if (editState_ == TEditState::Browse) return;
    for (size_t i = 0; i < format_.Fields.size(); ++i) {
        auto& value = buffer_[i];
        if (format_.Fields[i].Kind != TFieldKind::Integer || !value) continue;
        if (value->empty()) {
            value.reset();
        } else if (const auto number = ParseInteger(*value)) {
            value = std::to_string(*number);
        } else {
            const std::string message = FormatText(SInvalidInteger, {*value});
            if (OnPostError) OnPostError(message);
            throw EDatabaseError(message);
        }
    }
    if (editState_ == TEditState::Insert) {
        rows_.push_back({TPackedValues(buffer_), {}, TRowState::Inserted});
        current_ = rows_.size() - 1;
        MarkPending(current_);
        recNo_ = ++recordCount_;
    } else if (TRow& row = rows_[current_]; !(row.Values == buffer_)) {
        if (row.State == TRowState::Unchanged) {
            row.Original = std::move(row.Values);
            row.State = TRowState::Modified;
            MarkPending(current_);
        }
        row.Values = TPackedValues(buffer_);
    }
    Cancel();
}

void TSQLClientDataSet::Cancel() {
    editState_ = TEditState::Browse;
    buffer_.clear();
}

void TSQLClientDataSet::Delete() {
    CheckActive();
    const bool inserting = editState_ == TEditState::Insert;
    Cancel();
    if (inserting) return;
    if (Eof()) throw EDatabaseError("Cannot delete: the dataset has no current row");
    TRow& row = rows_[current_];
    if (row.State == TRowState::Inserted) {
        row.State = TRowState::Gone; // never reached the server
        --changeCount_;
    } else {
        if (row.State == TRowState::Unchanged) {
            row.Original = std::move(row.Values);
            MarkPending(current_);
        }
        row.State = TRowState::Deleted;
    }
    row.Values = TPackedValues();
    --recordCount_;
    ++current_;
    SkipHidden();
    if (Eof()) recNo_ = recordCount_;
}

void TSQLClientDataSet::MarkPending(size_t Row) {
    TRow& row = rows_[Row];
    if (row.Pending) return;
    row.Pending = true;
    pending_.push_back(Row);
    ++changeCount_;
}

void TSQLClientDataSet::ClearTable() {
    CheckActive();
    Cancel();
    rows_.clear();
    pending_.clear();
    changeCount_ = 1; // the clearing itself
    clearPending_ = true;
    current_ = 0;
    recNo_ = recordCount_ = 0;
}

// One transaction for a batch of changes: one commit a batch instead of one a
// change. With savepoints, a change that fails rolls back alone; without, the
// first failure spoils the whole transaction (as PostgreSQL has it), which
// the caller then rolls back. A driver without transactions commits each
// statement as it runs.
class TSQLClientDataSet::TApplyTransaction {
public:
    TApplyTransaction(QSqlDatabase Database, bool Savepoints)
        : database_(std::move(Database)),
          active_(database_.driver()->hasFeature(QSqlDriver::Transactions) &&
                  database_.transaction()),
          savepoints_(Savepoints) {}
    ~TApplyTransaction() {
        if (active_) database_.rollback();
    }
    TApplyTransaction(const TApplyTransaction&) = delete;
    TApplyTransaction& operator=(const TApplyTransaction&) = delete;

    bool Active() const { return active_; }

    // Runs Change in a savepoint of its own, rolled back when it fails; a
    // fault of the database is left to end the transaction.
    template <typename Change>
    auto Run(Change&& change) {
        if (!active_ || !savepoints_) return change();
        Exec("SAVEPOINT lex_change");
        try {
            auto result = change();
            Exec("RELEASE SAVEPOINT lex_change");
            return result;
        } catch (const EDatabaseUnavailable&) {
            throw;
        } catch (...) {
            Exec("ROLLBACK TO SAVEPOINT lex_change");
            throw;
        }
    }

    // A commit that fails is no fault of one change: the whole batch stays
    // pending, and the apply ends.
    void Commit() {
        if (!active_) return;
        active_ = false;
        if (database_.commit()) return;
        const QSqlError error = database_.lastError();
        database_.rollback();
        try {
            RaiseDatabaseError(database_, error);
        } catch (const EDatabaseUnavailable&) {
            throw;
        } catch (const EDatabaseError& e) {
            throw EDatabaseUnavailable(e.what(), false);
        }
    }

private:
    void Exec(const char* Statement) {
        QSqlQuery query(database_);
        if (!query.exec(QString::fromLatin1(Statement)))
            RaiseDatabaseError(database_, query.lastError());
    }

    QSqlDatabase database_;
    bool active_;
    bool savepoints_;
};

namespace {
// 126000 as "126,000": counts of a million rows are read by people.
std::string Thousands(int Count) {
    std::string digits = std::to_string(Count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), 1, ',');
    return digits;
}
} // namespace

TApplyCounts TSQLClientDataSet::ApplyUpdates(const TLexProgressEvent& OnProgress) {
    if (editState_ != TEditState::Browse) Post();
    std::vector<size_t> changes;
    for (const size_t index : pending_) {
        TRow& row = rows_[index];
        row.HeldBack = false;
        if (row.State == TRowState::Gone)
            Settle(row); // added and deleted again before it reached the server
        else
            changes.push_back(index);
    }
    const auto prune = [this] {
        std::erase_if(pending_, [this](size_t Index) { return !rows_[Index].Pending; });
    };
    TApplyCounts counts;
    const auto progress = [&](size_t Done) {
        ReportProgress(OnProgress,
                       LexFraction(static_cast<int>(Done), static_cast<int>(changes.size())));
    };
    try {
        if (changes.empty() && !clearPending_) {
            if (OnBeforeApply) OnBeforeApply();
        } else {
            connection_.EnsureAlive();
            TStatements statements(*this, connection_.Database());
            if (clearPending_) {
                ApplyClearing(changes, statements, counts, progress);
            } else {
                for (size_t start = 0; start < changes.size(); start += ApplyBatch) {
                    if (OnBeforeApply) OnBeforeApply();
                    const size_t end = std::min(changes.size(), start + ApplyBatch);
                    ApplyBatchOf(std::span(changes).subspan(start, end - start), statements,
                                 counts);
                    progress(end);
                }
            }
        }
    } catch (const EDatabaseUnavailable& e) {
        prune();
        connection_.Close(); // the next apply connects anew
        const int done = counts.Inserted + counts.Updated + counts.Deleted;
        throw EDatabaseUnavailable(
            FormatText(e.ConnectionLost
                           ? "The connection to the database was lost after %s of %s rows: %s"
                           : "The database stopped taking changes after %s of %s rows: %s",
                       {Thousands(done), Thousands(static_cast<int>(changes.size())), e.what()}),
            e.ConnectionLost);
    } catch (...) {
        prune();
        throw;
    }
    prune();
    return counts;
}

void TSQLClientDataSet::ApplyBatchOf(std::span<const size_t> Rows, TStatements& Statements,
                                     TApplyCounts& Counts) {
    // Conflicts and refusals are rare: the batch goes in one transaction
    // first, and only when something fails again change by change.
    if (ApplyAllAtOnce(Rows, Statements, Counts)) return;
    TApplyTransaction transaction(Statements.Database(), true);
    std::vector<size_t> applied;
    for (const size_t index : Rows)
        if (ApplyCarefully(index, transaction, Statements, Counts) == TChangeResult::Applied) {
            if (transaction.Active()) {
                applied.push_back(index);
            } else { // committed as it ran
                Count(rows_[index], Counts);
                Settle(rows_[index]);
            }
        }
    transaction.Commit();
    for (const size_t index : applied) {
        Count(rows_[index], Counts);
        Settle(rows_[index]);
    }
}

bool TSQLClientDataSet::ApplyAllAtOnce(std::span<const size_t> Rows, TStatements& Statements,
                                       TApplyCounts& Counts) {
    TApplyTransaction transaction(Statements.Database(), false);
    if (!transaction.Active()) return false;
    try {
        const bool bulkUpdates = TBulkUpdate::Supported(Statements.Database());
        for (size_t start = 0; start < Rows.size();) {
            // Changes of one shape in a row go as one statement.
            const auto shape = BulkShape(rows_[Rows[start]], bulkUpdates);
            size_t end = start + 1;
            while (shape && end < Rows.size() && BulkShape(rows_[Rows[end]], bulkUpdates) == shape)
                ++end;
            if (!RunMany(Rows.subspan(start, end - start), Statements)) return false;
            start = end;
        }
        transaction.Commit();
    } catch (const EDatabaseUnavailable&) {
        throw;
    } catch (const Exception&) {
        return false; // rolled back: the careful way finds and reports the failures
    }
    for (const size_t index : Rows) {
        Count(rows_[index], Counts);
        Settle(rows_[index]);
    }
    return true;
}

TSQLClientDataSet::TChangeResult TSQLClientDataSet::ApplyCarefully(size_t Index,
                                                                   TApplyTransaction& Transaction,
                                                                   TStatements& Statements,
                                                                   TApplyCounts& Counts) {
    TRow& row = rows_[Index];
    const auto refuse = [&](std::string_view Message) {
        Report(Message, row);
        row.HeldBack = true;
        ++Counts.Refused;
        return TChangeResult::Refused;
    };
    std::optional<std::string> refusal;
    try {
        if (Transaction.Run([&] { return Run(row, Statements); })) return TChangeResult::Applied;
    } catch (const EDatabaseUnavailable&) {
        throw;
    } catch (const Exception& e) {
        refusal = e.what();
    }
    // Refused, or its row no longer holds what was read: an insert refused
    // because someone else added the key meanwhile is a conflict too.
    if (refusal && row.State != TRowState::Inserted) return refuse(*refusal);
    std::optional<TValues> theirs;
    try {
        theirs = Theirs(row, Statements);
    } catch (const EDatabaseUnavailable&) {
        throw;
    } catch (const Exception& e) {
        return refuse(e.what());
    }
    if (refusal && !theirs) return refuse(*refusal);
    return Resolve(row, theirs, Transaction, Statements, Counts);
}

TSQLClientDataSet::TChangeResult TSQLClientDataSet::Resolve(TRow& Row,
                                                            const std::optional<TValues>& Theirs,
                                                            TApplyTransaction& Transaction,
                                                            TStatements& Statements,
                                                            TApplyCounts& Counts) {
    const bool deleting = Row.State == TRowState::Deleted;
    // Someone else made the same change.
    if (deleting ? !Theirs : Theirs && Row.Values == *Theirs) return TChangeResult::Applied;

    const std::vector<TReconcileField> theirFields =
        Theirs ? Fields(*Theirs) : std::vector<TReconcileField>();
    const TValues yours = deleting ? TValues() : Row.Values.Unpack();
    const std::vector<TReconcileField> yourFields =
        deleting ? std::vector<TReconcileField>() : Fields(yours);
    const TConflictAnswer answer =
        OnConflict ? OnConflict({theirFields, yourFields}) : TConflictAnswer::Skip;

    if (answer == TConflictAnswer::Skip) {
        Row.HeldBack = true;
        ++Counts.Conflicts;
        return TChangeResult::Conflict;
    }
    if (answer == TConflictAnswer::KeepTheirs) {
        if (Theirs) {
            if (deleting) ++recordCount_;
            Row.Values = TPackedValues(*Theirs);
            Row.State = TRowState::Modified;
        } else {
            if (!deleting) --recordCount_;
            Row.Values = TPackedValues();
            Row.State = TRowState::Deleted;
        }
        Settle(Row);
        return TChangeResult::KeptTheirs;
    }
    // Overwrite: the change is made against the row as it is now.
    if (Theirs) {
        Row.Original = TPackedValues(*Theirs);
        if (Row.State == TRowState::Inserted) Row.State = TRowState::Modified;
    } else {
        Row.Original = TPackedValues();
        Row.State = TRowState::Inserted;
    }
    std::optional<std::string> refusal;
    try {
        if (Transaction.Run([&] { return Run(Row, Statements); })) return TChangeResult::Applied;
        refusal = "The row was changed again by another user";
    } catch (const EDatabaseUnavailable&) {
        throw;
    } catch (const Exception& e) {
        refusal = e.what();
    }
    Report(*refusal, Row);
    Row.HeldBack = true;
    ++Counts.Refused;
    return TChangeResult::Refused;
}

std::vector<int> TSQLClientDataSet::InsertFields() const {
    std::vector<int> fields;
    for (int i = 0; i < FieldCount(); ++i)
        if (supplied_[static_cast<size_t>(i)] ||
            std::find(whereFields_.begin(), whereFields_.end(), i) != whereFields_.end())
            fields.push_back(i);
    return fields;
}

bool TSQLClientDataSet::Run(const TRow& Row, TStatements& Statements) {
    QSqlQuery* query = nullptr;
    int position = 0;
    const auto bind = [&](int field, const TPackedValues& values) {
        query->bindValue(position++, BoundValue(field, values));
    };
    const auto bindWhere = [&](const TPackedValues& values) {
        for (const int field : whereFields_)
            if (values[static_cast<size_t>(field)]) bind(field, values);
    };
    switch (Row.State) {
    case TRowState::Inserted: {
        // Only the columns the lexicon supplies: the others get what the
        // table gives them (a default, a serial number, a trigger's value).
        const std::vector<int> fields = InsertFields();
        query = &Statements.Insert(fields);
        for (const int field : fields)
            bind(field, Row.Values);
        break;
    }
    case TRowState::Modified: {
        const std::vector<int> fields = ChangedFields(Row);
        if (fields.empty()) return true;
        query = &Statements.Update(fields, Row.Original);
        for (const int field : fields)
            bind(field, Row.Values);
        bindWhere(Row.Original);
        break;
    }
    default:
        query = &Statements.Delete(Row.Original);
        bindWhere(Row.Original);
        break;
    }
    if (!query->exec()) RaiseDatabaseError(Statements.Database(), query->lastError());
    return Row.State == TRowState::Inserted || query->numRowsAffected() > 0;
}

std::optional<std::vector<int>> TSQLClientDataSet::BulkShape(const TRow& Row, bool Updates) const {
    if (Row.State == TRowState::Inserted) return std::vector<int>();
    if (!Updates || Row.State != TRowState::Modified) return std::nullopt;
    for (const int field : whereFields_)
        if (!Row.Original[static_cast<size_t>(field)]) return std::nullopt;
    std::vector<int> fields = ChangedFields(Row);
    if (fields.empty()) return std::nullopt;
    return fields;
}

bool TSQLClientDataSet::RunMany(std::span<const size_t> Rows, TStatements& Statements) {
    if (Rows.size() == 1) return Run(rows_[Rows[0]], Statements);
    if (rows_[Rows[0]].State == TRowState::Inserted) {
        const std::vector<int> fields = InsertFields();
        Statements.BulkInsert(fields).Insert(Rows.size(), [&](size_t Row, size_t Column) {
            return BoundValue(fields[Column], rows_[Rows[Row]].Values);
        });
        return true;
    }
    const std::vector<int> fields = ChangedFields(rows_[Rows[0]]);
    return Statements.BulkUpdate(fields).Update(Rows.size(), [&](size_t Row, size_t Column) {
        const TRow& row = rows_[Rows[Row]];
        return Column < fields.size()
                   ? BoundValue(fields[Column], row.Values)
                   : BoundValue(whereFields_[Column - fields.size()], row.Original);
    });
}

std::vector<int> TSQLClientDataSet::ChangedFields(const TRow& Row) const {
    std::vector<int> fields;
    for (int i = 0; i < FieldCount(); ++i)
        if (Row.Values[static_cast<size_t>(i)] != Row.Original[static_cast<size_t>(i)])
            fields.push_back(i);
    return fields;
}

std::optional<TSQLClientDataSet::TValues> TSQLClientDataSet::Theirs(const TRow& Row,
                                                                    TStatements& Statements) {
    if (identityFields_.empty()) return std::nullopt;
    const TPackedValues& identity = Row.State == TRowState::Inserted ? Row.Values : Row.Original;
    QSqlQuery& query = Statements.Select(identity);
    int position = 0;
    for (const int field : identityFields_)
        if (identity[static_cast<size_t>(field)])
            query.bindValue(position++, BoundValue(field, identity));
    if (!query.exec()) RaiseDatabaseError(Statements.Database(), query.lastError());
    std::optional<TValues> values;
    if (query.next()) {
        values.emplace(format_.Fields.size());
        format_.Read(query, *values, rows_.size() + 1);
    }
    query.finish();
    return values;
}

void TSQLClientDataSet::ApplyClearing(std::span<const size_t> Rows, TStatements& Statements,
                                      TApplyCounts& Counts,
                                      const std::function<void(size_t)>& Progress) {
    TApplyTransaction transaction(Statements.Database(), false);
    if (!transaction.Active())
        throw EDatabaseError("The database cannot empty the table and save in one transaction");
    QSqlQuery& clear = Statements.Clear();
    if (!clear.exec()) RaiseDatabaseError(Statements.Database(), clear.lastError());
    const int cleared = std::max(0, clear.numRowsAffected());
    for (size_t i = 0; i < Rows.size(); ++i) {
        const TRow& row = rows_[Rows[i]];
        try {
            Run(row, Statements);
        } catch (const EDatabaseUnavailable&) {
            throw;
        } catch (const Exception& e) {
            std::string fields;
            for (const TReconcileField& field : Fields(row.Values))
                fields += (fields.empty() ? "" : ", ") + std::string(field.Name) + "=" +
                          std::string(field.Value);
            throw EDatabaseError(FormatText(
                "Nothing was saved: the database refused the row %s: %s", {fields, e.what()}));
        }
        if ((i + 1) % ApplyBatch == 0) Progress(i + 1);
    }
    transaction.Commit();
    Counts.Deleted += cleared;
    for (const size_t index : Rows) {
        Count(rows_[index], Counts);
        Settle(rows_[index]);
    }
    clearPending_ = false;
    --changeCount_;
    Progress(Rows.size());
}

QVariant TSQLClientDataSet::BoundValue(int Field, const TPackedValues& Values) const {
    const TRowFormat::TField& field = format_.Fields[static_cast<size_t>(Field)];
    const auto value = Values[static_cast<size_t>(Field)];
    if (!value) return QVariant(field.Type);
    switch (field.Kind) {
    case TFieldKind::Blob:
        return QByteArray(value->data(), static_cast<qsizetype>(value->size()));
    case TFieldKind::Integer:
        if (const auto number = ParseInteger(*value)) return QVariant::fromValue(*number);
        throw EConvertError(FormatText(SInvalidInteger, {*value}));
    default:
        if (!textHoldsNul_ && value->find('\0') != std::string_view::npos)
            throw EConvertError(
                FormatText("Field %s: PostgreSQL text cannot hold a NUL byte", {field.Name}));
        try {
            return DatabaseText(*value, Field == format_.DisplayField
                                            ? TextCodePage(format_.CodePageText(Values))
                                            : ProcessCodePage());
        } catch (const EConvertError& e) {
            throw EConvertError(FormatText("Field %s: %s", {field.Name, std::string(e.what())}));
        }
    }
}

void TSQLClientDataSet::Count(const TRow& Row, TApplyCounts& Counts) const {
    switch (Row.State) {
    case TRowState::Inserted:
        ++Counts.Inserted;
        break;
    case TRowState::Modified:
        ++Counts.Updated;
        break;
    case TRowState::Deleted:
        ++Counts.Deleted;
        break;
    default:
        break;
    }
}

void TSQLClientDataSet::Settle(TRow& Row) {
    if (Row.State != TRowState::Gone) --changeCount_; // a Gone row was uncounted when deleted
    Row.State = Visible(Row) ? TRowState::Unchanged : TRowState::Gone;
    Row.Original = TPackedValues();
    Row.Pending = false;
    Row.HeldBack = false;
}

template <typename Values>
std::vector<TReconcileField> TSQLClientDataSet::Fields(const Values& Row) const {
    std::vector<TReconcileField> fields;
    for (size_t i = 0; i < format_.Fields.size(); ++i) {
        const auto& value = Row[i];
        fields.push_back(
            {format_.Fields[i].Name, value ? std::string_view(*value) : std::string_view()});
    }
    return fields;
}

void TSQLClientDataSet::Report(std::string_view Message, const TRow& Row) const {
    if (!OnReconcileError) return;
    OnReconcileError(Message, Fields(Row.State == TRowState::Deleted ? Row.Original : Row.Values));
}

} // namespace lex
