#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace lex {

// The rows of a query read straight through SQLite's own interface, on the
// connection Qt opened. Qt's driver turns every value into a variant of
// UTF-16 text and caches the row; for a table read whole into a lexicon that
// cost more than everything else together.
class TSQLiteRows {
public:
    enum class TKind { Null, Integer, Float, Text, Blob };

    // None when Database is not an SQLite connection. The query's errors
    // are raised as RaiseDatabaseError raises Qt's.
    static std::unique_ptr<TSQLiteRows> Query(const QSqlDatabase& Database, const QString& Sql);
    ~TSQLiteRows();
    TSQLiteRows(const TSQLiteRows&) = delete;
    TSQLiteRows& operator=(const TSQLiteRows&) = delete;

    // Steps to the next row; false after the last.
    bool Next();
    TKind Kind(int Field) const;
    std::int64_t Integer(int Field) const;
    double Float(int Field) const;
    // A text as UTF-8, or a large object's bytes; valid until the next step.
    std::string_view Bytes(int Field) const;

private:
    TSQLiteRows(const QSqlDatabase& Database, sqlite3* Handle) : database_(Database), db_(Handle) {}
    [[noreturn]] void Raise(int Code) const;

    QSqlDatabase database_;
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace lex
