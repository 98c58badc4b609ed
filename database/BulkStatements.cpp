#include "database/BulkStatements.h"

#include "database/SQLConnection.h"

#include <QSqlError>
#include <algorithm>
#include <vector>

namespace lex {
namespace {

// The most values one statement may bind: SQLite's SQLITE_MAX_VARIABLE_NUMBER
// since 3.32, the 16-bit parameter count of PostgreSQL's and MySQL's
// protocols, and the old SQLite figure for engines we do not know.
size_t BoundValueLimit(const QSqlDatabase& Database) {
    const QString driver = Database.driverName();
    if (driver == u"QSQLITE") return 32766;
    if (driver == u"QPSQL" || driver == u"QMYSQL") return 65535;
    return 999;
}

} // namespace

TBulkStatement::TBulkStatement(QSqlDatabase Database, size_t ValuesPerRow)
    : database_(std::move(Database)), valuesPerRow_(std::max<size_t>(1, ValuesPerRow)),
      rowsPerStatement_(std::max<size_t>(1, BoundValueLimit(database_) / valuesPerRow_)) {}

QString TBulkStatement::Marks() const {
    return QStringLiteral("(?") +
           QStringLiteral(", ?").repeated(static_cast<qsizetype>(valuesPerRow_ - 1)) +
           QStringLiteral(")");
}

void TBulkStatement::Run(size_t Rows, const TBulkValue& Value,
                         const std::function<void(QSqlQuery& Query, size_t First)>& Done) {
    for (size_t first = 0; first < Rows; first += rowsPerStatement_) {
        const size_t count = std::min(rowsPerStatement_, Rows - first);
        auto it = statements_.find(count);
        if (it == statements_.end()) {
            QSqlQuery query(database_);
            if (!query.prepare(Sql(count))) RaiseDatabaseError(database_, query.lastError());
            it = statements_.emplace(count, std::move(query)).first;
        }
        QSqlQuery& query = it->second;
        int position = 0;
        for (size_t row = first; row < first + count; ++row)
            for (size_t column = 0; column < valuesPerRow_; ++column)
                query.bindValue(position++, Value(row, column));
        if (!query.exec()) RaiseDatabaseError(database_, query.lastError());
        if (Done) Done(query, first);
    }
}

TBulkInsert::TBulkInsert(QSqlDatabase Database, QString Table, QStringList Columns)
    : TBulkStatement(std::move(Database), static_cast<size_t>(Columns.size())),
      table_(std::move(Table)), columns_(std::move(Columns)) {}

QString TBulkInsert::Sql(size_t Rows) const {
    const QString marks = Marks();
    QStringList rows(static_cast<qsizetype>(Rows), marks);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table_, columns_.join(u", "), rows.join(u", "));
}

// Each row's values come as a select of their own, in a union after an
// empty select of the same columns from the table: a union's inputs are
// typed left to right, so the bound values take the columns' types (a
// VALUES list would make them text). The last value of each row is its
// number, returned for the rows found.
TBulkUpdate::TBulkUpdate(QSqlDatabase Database, QString Table, QStringList Set, QStringList Where)
    : TBulkStatement(std::move(Database), static_cast<size_t>(Set.size() + Where.size() + 1)),
      table_(std::move(Table)), set_(std::move(Set)), where_(std::move(Where)) {}

bool TBulkUpdate::Supported(const QSqlDatabase& Database) {
    return Database.driverName() == u"QPSQL";
}

bool TBulkUpdate::Update(size_t Rows, const TBulkValue& Value) {
    std::vector<bool> found(Rows);
    size_t count = 0;
    Run(
        Rows,
        [&](size_t Row, size_t Column) {
            return Column == static_cast<size_t>(set_.size() + where_.size())
                       ? QVariant::fromValue(static_cast<qlonglong>(Row))
                       : Value(Row, Column);
        },
        [&](QSqlQuery& Query, size_t) {
            while (Query.next()) {
                const size_t row = static_cast<size_t>(Query.value(0).toLongLong());
                if (row < Rows && !found[row]) {
                    found[row] = true;
                    ++count;
                }
            }
            Query.finish();
        });
    return count == Rows;
}

QString TBulkUpdate::Sql(size_t Rows) const {
    QStringList columns, names, sets, matches;
    for (qsizetype i = 0; i < set_.size(); ++i) {
        columns << set_[i];
        names << QStringLiteral("n%1").arg(i);
        sets << QStringLiteral("%1 = lex_v.n%2").arg(set_[i]).arg(i);
    }
    for (qsizetype i = 0; i < where_.size(); ++i) {
        columns << where_[i];
        names << QStringLiteral("o%1").arg(i);
        matches << QStringLiteral("lex_t.%1 = lex_v.o%2").arg(where_[i]).arg(i);
    }
    columns << QStringLiteral("0::bigint");
    names << QStringLiteral("row_number");
    QString marks = Marks();
    marks = QStringLiteral(" UNION ALL SELECT ") + marks.mid(1, marks.size() - 2);
    return QStringLiteral("UPDATE %1 AS lex_t SET %2 FROM (SELECT %3 FROM %1 WHERE false%4) AS "
                          "lex_v (%5) WHERE %6 RETURNING lex_v.row_number")
        .arg(table_, sets.join(u", "), columns.join(u", "),
             marks.repeated(static_cast<qsizetype>(Rows)), names.join(u", "),
             matches.join(u" AND "));
}

} // namespace lex
