#include "database/DirectRows.h"

#include "database/SQLConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <algorithm>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace lex {
namespace {

template <typename Handle>
Handle* HandleOf(const QSqlDatabase& Database, const char* TypeName) {
    const QVariant handle = Database.driver() ? Database.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), TypeName) != 0) return nullptr;
    return *static_cast<Handle* const*>(handle.constData());
}

// Shaped as Qt's drivers report it, so that a fault is told from a refusal
// the same way on both paths.
[[noreturn]] void Raise(const QSqlDatabase& Database, const char* Message, const QString& Code) {
    RaiseDatabaseError(Database, QSqlError(QStringLiteral("Unable to fetch row"),
                                           QString::fromUtf8(Message).trimmed(),
                                           QSqlError::StatementError, Code));
}

class TSQLiteRows final : public TDirectRows {
public:
    TSQLiteRows(const QSqlDatabase& Database, sqlite3* Handle, const QString& Sql)
        : database_(Database), db_(Handle) {
        const QByteArray sql = Sql.toUtf8();
        if (const int code = sqlite3_prepare_v2(db_, sql.constData(), static_cast<int>(sql.size()),
                                                &statement_, nullptr);
            code != SQLITE_OK)
            Fail(code);
    }
    ~TSQLiteRows() override { sqlite3_finalize(statement_); }
    TSQLiteRows(const TSQLiteRows&) = delete;
    TSQLiteRows& operator=(const TSQLiteRows&) = delete;

    bool Next() override {
        const int code = sqlite3_step(statement_);
        if (code == SQLITE_ROW) return true;
        if (code == SQLITE_DONE) return false;
        Fail(code);
    }

    TKind Kind(int Field) const override {
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

    std::int64_t Integer(int Field) const override {
        return sqlite3_column_int64(statement_, Field);
    }
    double Float(int Field) const override { return sqlite3_column_double(statement_, Field); }

    std::string_view Bytes(int Field) const override {
        // The pointer first, then the size, as SQLite asks; text as UTF-8
        // whatever the database's own encoding.
        const void* data = sqlite3_column_type(statement_, Field) == SQLITE_TEXT
                               ? static_cast<const void*>(sqlite3_column_text(statement_, Field))
                               : sqlite3_column_blob(statement_, Field);
        return {data ? static_cast<const char*>(data) : "",
                static_cast<size_t>(sqlite3_column_bytes(statement_, Field))};
    }

private:
    [[noreturn]] void Fail(int Code) const {
        Raise(database_, sqlite3_errmsg(db_), QString::number(Code));
    }

    QSqlDatabase database_;
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// COPY's text form: a row a message, fields split by tabs, "\N" for null,
// backslash escapes in values. Every value is PostgreSQL's own text for it,
// which is what Qt's driver reads as well.
class TPostgresRows final : public TDirectRows {
public:
    TPostgresRows(const QSqlDatabase& Database, PGconn* Connection, const QString& Sql,
                  std::span<const TFieldKind> Kinds)
        : database_(Database), conn_(Connection), blob_(Kinds.size()), values_(Kinds.size()),
          null_(Kinds.size()) {
        for (size_t i = 0; i < Kinds.size(); ++i)
            blob_[i] = Kinds[i] == TFieldKind::Blob;
        const QByteArray copy = "COPY (" + Sql.toUtf8() + ") TO STDOUT";
        PGresult* result = PQexec(conn_, copy.constData());
        if (PQresultStatus(result) != PGRES_COPY_OUT) Fail(result);
        PQclear(result);
        copying_ = true;
    }

    ~TPostgresRows() override {
        if (buffer_) PQfreemem(buffer_);
        if (!copying_) return;
        // Left early (a value the lexicon refused): the server stops sending,
        // and the connection is left ready for the next statement.
        if (PGcancel* cancel = PQgetCancel(conn_)) {
            char error[256];
            PQcancel(cancel, error, sizeof error);
            PQfreeCancel(cancel);
        }
        char* rest = nullptr;
        while (PQgetCopyData(conn_, &rest, 0) > 0)
            PQfreemem(rest);
        Drain();
    }
    TPostgresRows(const TPostgresRows&) = delete;
    TPostgresRows& operator=(const TPostgresRows&) = delete;

    bool Next() override {
        if (buffer_) PQfreemem(buffer_);
        buffer_ = nullptr;
        const int size = PQgetCopyData(conn_, &buffer_, 0);
        if (size > 0) {
            Split(std::string_view(buffer_, static_cast<size_t>(size)));
            return true;
        }
        copying_ = false;
        PGresult* result = PQgetResult(conn_);
        if (size == -1 && PQresultStatus(result) == PGRES_COMMAND_OK) {
            PQclear(result);
            Drain();
            return false;
        }
        Fail(result);
    }

    TKind Kind(int Field) const override {
        const auto field = static_cast<size_t>(Field);
        return null_[field] ? TKind::Null : blob_[field] ? TKind::Blob : TKind::Text;
    }
    std::int64_t Integer(int) const override { return 0; }
    double Float(int) const override { return 0; }
    std::string_view Bytes(int Field) const override { return values_[static_cast<size_t>(Field)]; }

private:
    void Split(std::string_view Line) {
        if (!Line.empty() && Line.back() == '\n') Line.remove_suffix(1);
        size_t field = 0;
        for (size_t start = 0;; ++field) {
            const size_t tab = std::min(Line.find('\t', start), Line.size());
            if (field < values_.size()) Store(field, Line.substr(start, tab - start));
            if (tab == Line.size()) break;
            start = tab + 1;
        }
        if (field + 1 != values_.size())
            Raise(database_, "COPY gave a row of another number of fields than the query",
                  QString());
    }

    void Store(size_t Field, std::string_view Text) {
        null_[Field] = Text == "\\N";
        std::string& value = values_[Field];
        if (null_[Field]) return;
        if (Text.find('\\') == std::string_view::npos) {
            value.assign(Text);
        } else {
            value.clear();
            for (size_t i = 0; i < Text.size(); ++i) {
                if (Text[i] != '\\' || i + 1 == Text.size()) {
                    value += Text[i];
                    continue;
                }
                const char c = Text[++i];
                switch (c) {
                case 'b':
                    value += '\b';
                    break;
                case 'f':
                    value += '\f';
                    break;
                case 'n':
                    value += '\n';
                    break;
                case 'r':
                    value += '\r';
                    break;
                case 't':
                    value += '\t';
                    break;
                case 'v':
                    value += '\v';
                    break;
                default:
                    value += c;
                    break;
                }
            }
        }
        if (blob_[Field]) {
            size_t size = 0;
            unsigned char* bytes =
                PQunescapeBytea(reinterpret_cast<const unsigned char*>(value.c_str()), &size);
            if (!bytes) Raise(database_, "A large object could not be decoded", QString());
            value.assign(reinterpret_cast<const char*>(bytes), size);
            PQfreemem(bytes);
        }
    }

    void Drain() {
        while (PGresult* result = PQgetResult(conn_))
            PQclear(result);
    }

    [[noreturn]] void Fail(PGresult* Result) {
        const std::string message = Result && *PQresultErrorMessage(Result)
                                        ? PQresultErrorMessage(Result)
                                        : PQerrorMessage(conn_);
        const char* state = Result ? PQresultErrorField(Result, PG_DIAG_SQLSTATE) : nullptr;
        const QString code = state ? QString::fromLatin1(state) : QString();
        PQclear(Result);
        Drain();
        Raise(database_, message.c_str(), code);
    }

    QSqlDatabase database_;
    PGconn* conn_;
    std::vector<bool> blob_;
    std::vector<std::string> values_;
    std::vector<bool> null_;
    char* buffer_ = nullptr;
    bool copying_ = false;
};

} // namespace

bool TDirectRows::Supported(const QSqlDatabase& Database) {
    if (Database.driverName() == u"QSQLITE") return HandleOf<sqlite3>(Database, "sqlite3*");
    if (Database.driverName() == u"QPSQL") return HandleOf<PGconn>(Database, "PGconn*");
    return false;
}

std::unique_ptr<TDirectRows> TDirectRows::Query(const QSqlDatabase& Database, const QString& Sql,
                                                std::span<const TFieldKind> Kinds) {
    if (!Supported(Database)) return nullptr;
    if (Database.driverName() == u"QSQLITE")
        return std::make_unique<TSQLiteRows>(Database, HandleOf<sqlite3>(Database, "sqlite3*"),
                                             Sql);
    // Other types (times, numbers, booleans) read as Qt's variants print them.
    for (const TFieldKind kind : Kinds)
        if (kind == TFieldKind::Other) return nullptr;
    return std::make_unique<TPostgresRows>(Database, HandleOf<PGconn>(Database, "PGconn*"), Sql,
                                           Kinds);
}

} // namespace lex
