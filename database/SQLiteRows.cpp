#include "database/SQLiteRows.h"

#include "database/SQLConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <sqlite3.h>

namespace lex {

std::unique_ptr<TSQLiteRows> TSQLiteRows::Query(const QSqlDatabase& Database, const QString& Sql) {
    const QVariant handle = Database.driver() ? Database.driver()->handle() : QVariant();
    if (Database.driverName() != u"QSQLITE" || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3* db = *static_cast<sqlite3* const*>(handle.constData());
    if (!db) return nullptr;
    std::unique_ptr<TSQLiteRows> rows(new TSQLiteRows(Database, db));
    const QByteArray sql = Sql.toUtf8();
    if (const int code = sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()),
                                            &rows->statement_, nullptr);
        code != SQLITE_OK)
        rows->Raise(code);
    return rows;
}

TSQLiteRows::~TSQLiteRows() {
    sqlite3_finalize(statement_);
}

void TSQLiteRows::Raise(int Code) const {
    // Shaped as Qt's driver reports it, so that a fault is told from a
    // refusal the same way on both paths.
    RaiseDatabaseError(database_, QSqlError(QStringLiteral("Unable to fetch row"),
                                            QString::fromUtf8(sqlite3_errmsg(db_)),
                                            QSqlError::StatementError, QString::number(Code)));
}

bool TSQLiteRows::Next() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    Raise(code);
}

TSQLiteRows::TKind TSQLiteRows::Kind(int Field) const {
    switch (sqlite3_column_type(statement_, Field)) {
    case SQLITE_NULL:
        return TKind::Null;
    case SQLITE_INTEGER:
        return TKind::Integer;
    case SQLITE_FLOAT:
        return TKind::Float;
    case SQLITE_BLOB:
        return TKind::Blob;
    default:
        return TKind::Text;
    }
}

std::int64_t TSQLiteRows::Integer(int Field) const {
    return sqlite3_column_int64(statement_, Field);
}

double TSQLiteRows::Float(int Field) const {
    return sqlite3_column_double(statement_, Field);
}

std::string_view TSQLiteRows::Bytes(int Field) const {
    // The pointer first, then the size, as SQLite asks; text as UTF-8 whatever
    // the database's own encoding.
    const void* data = sqlite3_column_type(statement_, Field) == SQLITE_TEXT
                           ? static_cast<const void*>(sqlite3_column_text(statement_, Field))
                           : sqlite3_column_blob(statement_, Field);
    return {data ? static_cast<const char*>(data) : "",
            static_cast<size_t>(sqlite3_column_bytes(statement_, Field))};
}

} // namespace lex
