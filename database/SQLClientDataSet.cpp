#include "database/SQLClientDataSet.h"

#include "database/DBSchema.h"
#include "database/DBText.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiLexReader.h"

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

bool IsIntegerType(int TypeId) {
    switch (TypeId) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

std::optional<long long> ParseInteger(std::string_view Text) {
    long long value = 0;
    const char* end = Text.data() + Text.size();
    const auto [last, error] = std::from_chars(Text.data(), end, value);
    if (error != std::errc() || last != end) return std::nullopt;
    return value;
}

} // namespace

// The statements of one apply, each prepared once and run for every change
// of its kind. Null values cannot be matched with "=", so a row is found by a
// statement of its own for each pattern of nulls among the values that find it.
class TSQLClientDataSet::TStatements {
public:
    TStatements(const TSQLClientDataSet& DataSet, QSqlDatabase Database)
        : dataSet_(DataSet), database_(std::move(Database)),
          table_(DatabaseText(DataSet.tableName_, ProcessCodePage())) {}

    QSqlQuery& Insert() {
        return Prepared("I", [&] {
            QStringList names, marks;
            for (const TField& field : dataSet_.fields_) {
                names << field.SqlName;
                marks << QStringLiteral("?");
            }
            return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table_, names.join(u", "), marks.join(u", "));
        });
    }

    QSqlQuery& Update(const TPackedValues& Original) {
        return Prepared("U" + NullPattern(Original), [&] {
            QStringList sets;
            for (const TField& field : dataSet_.fields_)
                sets << field.SqlName + QStringLiteral(" = ?");
            return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(table_, sets.join(u", "), Where(Original));
        });
    }

    QSqlQuery& Delete(const TPackedValues& Original) {
        return Prepared("D" + NullPattern(Original), [&] {
            return QStringLiteral("DELETE FROM %1 WHERE %2").arg(table_, Where(Original));
        });
    }

private:
    std::string NullPattern(const TPackedValues& Values) const {
        std::string pattern;
        for (const int field : dataSet_.keyFields_)
            pattern += Values[field] ? '1' : '0';
        return pattern;
    }

    QString Where(const TPackedValues& Values) const {
        QStringList terms;
        for (const int field : dataSet_.keyFields_)
            terms << dataSet_.fields_[field].SqlName +
                         (Values[field] ? QStringLiteral(" = ?") : QStringLiteral(" IS NULL"));
        return terms.join(u" AND ");
    }

    template <typename Sql>
    QSqlQuery& Prepared(const std::string& Key, Sql sql) {
        auto it = queries_.find(Key);
        if (it == queries_.end()) {
            QSqlQuery query(database_);
            if (!query.prepare(sql())) RaiseDatabaseError(query.lastError());
            it = queries_.emplace(Key, std::move(query)).first;
        }
        return it->second;
    }

    const TSQLClientDataSet& dataSet_;
    QSqlDatabase database_;
    QString table_;
    std::map<std::string, QSqlQuery> queries_;
};

void TSQLClientDataSet::Open(std::string_view TableName) {
    const std::string sql = SelectAllStatement(TableName);
    Close();
    QSqlDatabase database = connection_.Database();
    try {
        // Asked first: PostgreSQL streams the rows of a forward-only query and
        // drops them when another statement runs before they are all read.
        const QSqlIndex key = database.primaryIndex(DatabaseText(TableName, ProcessCodePage()));
        QSqlQuery query(database);
        query.setForwardOnly(true);
        if (!query.exec(DatabaseText(sql, ProcessCodePage())))
            RaiseDatabaseError(query.lastError());

        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField field = record.field(i);
            const int type = field.metaType().id();
            fields_.push_back(
                {LexiconText(field.name(), ProcessCodePage()),
                 database.driver()->escapeIdentifier(field.name(), QSqlDriver::FieldName),
                 type == QMetaType::QByteArray ? TFieldKind::Blob
                 : IsIntegerType(type)         ? TFieldKind::Integer
                 : type == QMetaType::QString  ? TFieldKind::Text
                                               : TFieldKind::Other,
                 field.metaType()});
        }
        displayField_ = FindField(DisplayValueField);
        codePageField_ = FindField(CodePageField);

        for (int i = 0; i < key.count(); ++i) {
            const int field = record.indexOf(key.fieldName(i));
            if (field < 0) {
                keyFields_.clear();
                break;
            }
            keyFields_.push_back(field);
        }
        if (keyFields_.empty())
            for (int i = 0; i < FieldCount(); ++i)
                keyFields_.push_back(i);

        ReadRows(query);
    } catch (...) {
        Close();
        throw;
    }
    tableName_ = TableName;
    active_ = true;
    First();
}

void TSQLClientDataSet::ReadRows(QSqlQuery& Query) {
    const int processCodePage = ProcessCodePage();
    const auto read = [&](const QVariant& value, int field, int codePage) {
        std::optional<std::string> bytes;
        if (value.isNull()) return bytes;
        const TField& info = fields_[static_cast<size_t>(field)];
        if (info.Kind == TFieldKind::Blob) {
            const QByteArray data = value.toByteArray();
            bytes.emplace(data.constData(), static_cast<size_t>(data.size()));
        } else if (IsIntegerType(value.metaType().id())) {
            bytes = value.toString().toStdString();
        } else {
            try {
                bytes = LexiconText(value.toString(), codePage);
            } catch (const EConvertError& e) {
                throw EDatabaseError(
                    FormatText("Row %s, field %s: %s", {std::to_string(rows_.size() + 1), info.Name,
                                                        std::string(e.what())}));
            }
        }
        return bytes;
    };
    TValues values(fields_.size());
    while (Query.next()) {
        for (int i = 0; i < FieldCount(); ++i)
            if (i != displayField_) values[i] = read(Query.value(i), i, processCodePage);
        if (displayField_ >= 0)
            values[displayField_] =
                read(Query.value(displayField_), displayField_, TextCodePage(CodePageText(values)));
        rows_.push_back({TPackedValues(values), {}, TRowState::Unchanged});
    }
    if (Query.lastError().isValid()) RaiseDatabaseError(Query.lastError());
    recordCount_ = static_cast<int>(rows_.size());
}

void TSQLClientDataSet::Close() {
    active_ = false;
    tableName_.clear();
    fields_.clear();
    keyFields_.clear();
    displayField_ = codePageField_ = -1;
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
    return fields_[static_cast<size_t>(Index)].Name;
}

std::string_view TSQLClientDataSet::FieldText(int Index) const {
    return CurrentValue(Index).value_or(std::string_view());
}

bool TSQLClientDataSet::IsNull(int Index) const {
    return !CurrentValue(Index);
}

bool TSQLClientDataSet::IsBlob(int Index) const {
    return fields_[static_cast<size_t>(Index)].Kind == TFieldKind::Blob;
}

void TSQLClientDataSet::CheckActive() const {
    if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TSQLClientDataSet::Append() {
    CheckActive();
    if (editState_ != TEditState::Browse) Post();
    buffer_.assign(fields_.size(), std::nullopt);
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
}

void TSQLClientDataSet::Post() {
    if (editState_ == TEditState::Browse) return;
    for (size_t i = 0; i < fields_.size(); ++i) {
        auto& value = buffer_[i];
        if (fields_[i].Kind != TFieldKind::Integer || !value) continue;
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

namespace {
// One apply as one transaction: one commit a batch instead of one a change.
// With savepoints, a refused change rolls back alone and the rest commit
// together; without, the first refusal spoils the whole transaction (as
// PostgreSQL has it), which the caller then rolls back. A driver without
// transactions commits each statement as it runs.
class TApplyTransaction {
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

    template <typename Change>
    void Run(Change&& change) {
        if (!active_ || !savepoints_) return change();
        Exec("SAVEPOINT lex_change");
        try {
            change();
        } catch (...) {
            Exec("ROLLBACK TO SAVEPOINT lex_change");
            throw;
        }
        Exec("RELEASE SAVEPOINT lex_change");
    }

    void Commit() {
        if (!active_) return;
        active_ = false;
        if (database_.commit()) return;
        const QSqlError error = database_.lastError();
        database_.rollback();
        RaiseDatabaseError(error);
    }

private:
    void Exec(const char* Statement) {
        QSqlQuery query(database_);
        if (!query.exec(QString::fromLatin1(Statement))) RaiseDatabaseError(query.lastError());
    }

    QSqlDatabase database_;
    bool active_;
    bool savepoints_;
};
} // namespace

bool TSQLClientDataSet::ApplyAllAtOnce(TStatements& Statements) {
    TApplyTransaction transaction(connection_.Database(), false);
    if (!transaction.Active()) return false;
    try {
        for (const size_t index : pending_)
            if (rows_[index].State != TRowState::Gone) Apply(rows_[index], Statements);
        transaction.Commit();
    } catch (const Exception&) {
        return false; // rolled back: the careful way finds and reports the refusals
    }
    for (const size_t index : pending_)
        Settle(rows_[index]);
    pending_.clear();
    return true;
}

int TSQLClientDataSet::ApplyUpdates() {
    if (editState_ != TEditState::Browse) Post();
    if (OnBeforeApply) OnBeforeApply();
    if (pending_.empty()) return 0;
    TStatements statements(*this, connection_.Database());
    // Refusals are rare: all changes go in one transaction first, and only
    // when one is refused again, each in a savepoint of its own.
    if (ApplyAllAtOnce(statements)) return 0;
    TApplyTransaction transaction(connection_.Database(), true);
    const bool atomic = transaction.Active();
    std::vector<size_t> refused, applied;
    size_t next = 0;
    const auto settleApplied = [&] {
        for (const size_t index : applied)
            Settle(rows_[index]);
    };
    try {
        while (next < pending_.size()) {
            const size_t index = pending_[next++];
            TRow& row = rows_[index];
            try {
                if (row.State != TRowState::Gone) transaction.Run([&] { Apply(row, statements); });
                applied.push_back(index);
            } catch (const Exception& e) {
                refused.push_back(index);
                Report(e.what(), row);
            }
        }
        transaction.Commit();
    } catch (...) {
        // A handler gave up, or the commit failed. In a transaction nothing
        // reached the server and every change stays pending as it was;
        // committed change by change, what ran is on the server.
        if (atomic) throw;
        settleApplied();
        refused.insert(refused.end(), pending_.begin() + static_cast<ptrdiff_t>(next),
                       pending_.end());
        pending_ = std::move(refused);
        throw;
    }
    settleApplied();
    pending_ = std::move(refused);
    return static_cast<int>(pending_.size());
}

QVariant TSQLClientDataSet::BoundValue(int Field, const TPackedValues& Values) const {
    const TField& field = fields_[static_cast<size_t>(Field)];
    const auto value = Values[static_cast<size_t>(Field)];
    if (!value) return QVariant(field.Type);
    switch (field.Kind) {
    case TFieldKind::Blob:
        return QByteArray(value->data(), static_cast<qsizetype>(value->size()));
    case TFieldKind::Integer:
        if (const auto number = ParseInteger(*value)) return QVariant::fromValue(*number);
        throw EConvertError(FormatText(SInvalidInteger, {*value}));
    default:
        try {
            return DatabaseText(*value, Field == displayField_ ? TextCodePage(CodePageText(Values))
                                                               : ProcessCodePage());
        } catch (const EConvertError& e) {
            throw EConvertError(FormatText("Field %s: %s", {field.Name, std::string(e.what())}));
        }
    }
}

void TSQLClientDataSet::Apply(TRow& Row, TStatements& Statements) {
    QSqlQuery* query = nullptr;
    int position = 0;
    const auto bind = [&](int field, const TPackedValues& values) {
        query->bindValue(position++, BoundValue(field, values));
    };
    const auto bindKey = [&](const TPackedValues& values) {
        for (const int field : keyFields_)
            if (values[static_cast<size_t>(field)]) bind(field, values);
    };
    switch (Row.State) {
    case TRowState::Inserted:
        query = &Statements.Insert();
        for (int i = 0; i < FieldCount(); ++i)
            bind(i, Row.Values);
        break;
    case TRowState::Modified:
        query = &Statements.Update(Row.Original);
        for (int i = 0; i < FieldCount(); ++i)
            bind(i, Row.Values);
        bindKey(Row.Original);
        break;
    default:
        query = &Statements.Delete(Row.Original);
        bindKey(Row.Original);
        break;
    }
    if (!query->exec()) RaiseDatabaseError(query->lastError());
    if (Row.State != TRowState::Inserted && query->numRowsAffected() == 0)
        throw EDatabaseError("Record not found or changed by another user");
}

void TSQLClientDataSet::Settle(TRow& Row) {
    if (Row.State != TRowState::Gone) --changeCount_; // a Gone row was uncounted when deleted
    Row.State = Visible(Row) ? TRowState::Unchanged : TRowState::Gone;
    Row.Original = TPackedValues();
    Row.Pending = false;
}

void TSQLClientDataSet::Report(std::string_view Message, const TRow& Row) const {
    if (!OnReconcileError) return;
    const TPackedValues& values = Row.State == TRowState::Deleted ? Row.Original : Row.Values;
    std::vector<TReconcileField> fields;
    for (size_t i = 0; i < fields_.size(); ++i)
        fields.push_back({fields_[i].Name, values[i].value_or(std::string_view())});
    OnReconcileError(Message, fields);
}

} // namespace lex
