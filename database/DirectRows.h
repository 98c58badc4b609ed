#pragma once

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace lex {

// What a field of a table holds, by the type Qt's driver reports for it.
enum class TFieldKind { Text, Integer, Blob, Other };

// The rows of a query read straight through the database's own client
// library, on the connection Qt opened: SQLite's statements, PostgreSQL's
// COPY. Qt's drivers turn every value into a variant of UTF-16 text and
// cache the row; for a table read whole into a lexicon that cost more than
// everything else together.
class TDirectRows {
public:
    // What one value is.
    enum class TKind { Null, Integer, Float, Text, Blob };

    // Whether the connection's driver has a direct way at all.
    static bool Supported(const QSqlDatabase& Database);
    // The rows of Sql, whose fields are of Kinds; none when there is no
    // direct way for these kinds. Errors are raised as RaiseDatabaseError
    // raises Qt's.
    static std::unique_ptr<TDirectRows> Query(const QSqlDatabase& Database, const QString& Sql,
                                              std::span<const TFieldKind> Kinds);
    virtual ~TDirectRows() = default;

    // Steps to the next row; false after the last.
    virtual bool Next() = 0;
    virtual TKind Kind(int Field) const = 0;
    virtual std::int64_t Integer(int Field) const = 0;
    virtual double Float(int Field) const = 0;
    // A text as UTF-8, or a large object's bytes; valid until the next step.
    virtual std::string_view Bytes(int Field) const = 0;
};

} // namespace lex
