#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>

namespace lex {

// Value(Row, Column): the value bound for one row of a bulk statement; it may throw.
using TBulkValue = std::function<QVariant(size_t Row, size_t Column)>;

// A statement carrying many rows, as many as the engine takes bound values,
// prepared once for each number of rows: thousands of statements and round
// trips for a million rows rather than a million. Names reaching it are
// quoted for statements.
class TBulkStatement {
public:
    virtual ~TBulkStatement() = default;

protected:
    TBulkStatement(QSqlDatabase Database, size_t ValuesPerRow);
    // The statement's text for Rows rows.
    virtual QString Sql(size_t Rows) const = 0;
    // Runs the statement over Rows rows; Done(Query, First) hears after each
    // one, whose rows start at First. Raises the database's error when the
    // engine refuses one.
    void Run(size_t Rows, const TBulkValue& Value,
             const std::function<void(QSqlQuery& Query, size_t First)>& Done = {});
    // "(?, ?, ...)" for one row.
    QString Marks() const;

    QSqlDatabase database_;

private:
    size_t valuesPerRow_;
    size_t rowsPerStatement_;
    std::map<size_t, QSqlQuery> statements_; // by the rows they carry
};

class TBulkInsert final : public TBulkStatement {
public:
    TBulkInsert(QSqlDatabase Database, QString Table, QStringList Columns);
    // Inserts Rows rows, Value giving each column's value; which rows went
    // in when the engine refuses one is up to the caller's transaction.
    void Insert(size_t Rows, const TBulkValue& Value) { Run(Rows, Value); }

private:
    QString Sql(size_t Rows) const override;
    QString table_;
    QStringList columns_;
};

// Changed rows, each found by the original values of the Where columns as
// an update of its own finds it (none of them null), given new values of the
// Set columns. For PostgreSQL, where a statement is a round trip.
class TBulkUpdate final : public TBulkStatement {
public:
    TBulkUpdate(QSqlDatabase Database, QString Table, QStringList Set, QStringList Where);
    static bool Supported(const QSqlDatabase& Database);
    // Updates Rows rows, Value giving the new values (Set's order) and then
    // the original ones (Where's); false when a row was not found, which
    // leaves the transaction to be rolled back.
    bool Update(size_t Rows, const TBulkValue& Value);

private:
    QString Sql(size_t Rows) const override;
    QString table_;
    QStringList set_, where_;
};

} // namespace lex
