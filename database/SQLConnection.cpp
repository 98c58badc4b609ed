#include "database/SQLConnection.h"

#include "database/DBSchema.h"
#include "database/DBText.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>

namespace lex {
namespace {

// Qt keeps connections in a registry by name; each of ours has its own.
QString NewConnectionName() {
    static int count = 0;
    return QStringLiteral("LexConnection%1").arg(++count);
}

// Whether SQLite may write beside the file: its folder holds the log and
// the lock files of a write-ahead log. A file not there yet is created, and
// its folder must let it.
bool SQLiteFileWritable(const QString& FileName) {
    const QFileInfo file(FileName);
    const QFileInfo folder(file.absolutePath());
    return folder.isWritable() && (!file.exists() || file.isWritable());
}

// A file nobody may write beside is opened for reading only. A file left in
// write-ahead-log mode needs its shared-memory file, which cannot be made
// there: without one, SQLite reads it as a file that cannot change.
void ReadSQLiteOnly(QSqlDatabase& Database, const QString& FileName) {
    if (QFileInfo::exists(FileName + QStringLiteral("-shm"))) {
        Database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        return;
    }
    Database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    Database.setDatabaseName(
        QUrl::fromLocalFile(QFileInfo(FileName).absoluteFilePath()).toString(QUrl::FullyEncoded) +
        QStringLiteral("?immutable=1"));
}

// The Qt connection under `name` is released before its name is removed.
void RemoveConnection(const QString& name) {
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

void Execute(QSqlDatabase& database, const QString& sql) {
    QSqlQuery query(database);
    if (!query.exec(sql)) RaiseDatabaseError(database, query.lastError());
}

enum class TFault { None, Unavailable, ConnectionLost };

// Tells a fault of the database from a refusal of one statement by the
// error code each driver gives: SQLSTATE for PostgreSQL and ODBC, the
// engine's own numbers for SQLite and MySQL.
TFault FaultOf(const QSqlDatabase& Database, const QSqlError& Error) {
    const QString driver = Database.driverName();
    const QString code = Error.nativeErrorCode();
    if (driver == u"QPSQL") {
        // libpq's own errors (the server went away) carry no SQLSTATE.
        if (code.isEmpty() || code.startsWith(u"08") || code.startsWith(u"57P"))
            return TFault::ConnectionLost;
        // Insufficient resources, locks and deadlocks, the server's own faults.
        for (const char* unavailable : {"53", "55P03", "40P01", "40001", "58", "XX"})
            if (code.startsWith(QLatin1String(unavailable))) return TFault::Unavailable;
        return TFault::None;
    }
    if (driver == u"QSQLITE") {
        // Busy, locked, read-only, I/O error, corrupt, full, cannot open, not a database.
        switch (code.toInt() & 0xff) {
        case 5:
        case 6:
        case 8:
        case 10:
        case 11:
        case 13:
        case 14:
        case 26:
            return TFault::Unavailable;
        default:
            return TFault::None;
        }
    }
    if (driver == u"QMYSQL") {
        switch (code.toInt()) {
        case 2006:
        case 2013:
        case 2055:
            return TFault::ConnectionLost;
        case 1021:
        case 1114:
        case 1205:
        case 1213:
            return TFault::Unavailable;
        default:
            return TFault::None;
        }
    }
    if (code.startsWith(u"08")) return TFault::ConnectionLost;
    return code.startsWith(u"HYT") ? TFault::Unavailable : TFault::None;
}

} // namespace

void RaiseDatabaseError(const QSqlDatabase& Database, const QSqlError& Error) {
    std::string message = MessageText(Error.text());
    switch (FaultOf(Database, Error)) {
    case TFault::None:
        throw EDatabaseError(message);
    case TFault::Unavailable:
        throw EDatabaseUnavailable(message, false);
    case TFault::ConnectionLost:
        throw EDatabaseUnavailable(message, true);
    }
    throw EDatabaseError(message);
}

TSQLConnection::TSQLConnection() : name_(NewConnectionName()) {}

TSQLConnection::~TSQLConnection() {
    Close();
}

std::string TSQLConnection::ParamValue(std::string_view Name) const {
    return lex::ParamValue(settings_.Params, Name);
}

void TSQLConnection::Open() {
    if (connected_) return;
    const TConnectionTarget target = ResolveConnection(settings_);
    if (!QSqlDatabase::isDriverAvailable(target.Driver))
        throw EDatabaseError(
            FormatText("The database driver %s is not installed", {MessageText(target.Driver)}));
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(target.Driver, name_);
        database.setHostName(target.HostName);
        database.setDatabaseName(target.DatabaseName);
        database.setUserName(target.UserName);
        database.setPassword(target.Password);
        database.setPort(target.Port);
        const bool sqlite = target.Driver == u"QSQLITE";
        const bool writable = !sqlite || SQLiteFileWritable(target.DatabaseName);
        if (!writable) ReadSQLiteOnly(database, target.DatabaseName);
        try {
            if (!database.open()) RaiseDatabaseError(database, database.lastError());
            if (sqlite && writable) {
                // With a write-ahead log a commit need not wait for the disk
                // (a crash loses at most the last commits, never the file),
                // and checkpoints come seldom. The log lives beside the file:
                // a file the user may only read is read as it is.
                for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                                           "PRAGMA wal_autocheckpoint=10000"})
                    QSqlQuery(database).exec(QString::fromLatin1(pragma));
            }
            if (target.Embedded &&
                !database.tables().contains(
                    QString::fromLatin1(DefaultTableName.data(), DefaultTableName.size()),
                    Qt::CaseInsensitive))
                Execute(database, QString::fromLatin1(PortableSchemaScript.data(),
                                                      PortableSchemaScript.size()));
        } catch (...) {
            database = QSqlDatabase();
            RemoveConnection(name_);
            throw;
        }
    }
    connected_ = true;
}

void TSQLConnection::EnsureAlive() {
    if (connected_) {
        QSqlDatabase database = QSqlDatabase::database(name_, false);
        if (QSqlQuery(database).exec(QStringLiteral("SELECT 1"))) return;
        Close();
    }
    try {
        Open();
    } catch (const EDatabaseUnavailable&) {
        throw;
    } catch (const EDatabaseError& e) {
        throw EDatabaseUnavailable(e.what(), true);
    }
}

void TSQLConnection::Close() {
    if (!connected_) return;
    RemoveConnection(name_);
    connected_ = false;
}

QSqlDatabase TSQLConnection::Database() {
    Open();
    return QSqlDatabase::database(name_, false);
}

std::vector<std::string> TSQLConnection::TableNames() {
    QSqlDatabase database = Database();
    std::vector<std::string> names;
    const bool sqlite = database.driverName() == u"QSQLITE";
    for (const QString& table : database.tables(QSql::Tables)) {
        // SQLite keeps its own tables under this prefix, which it refuses to user tables.
        if (sqlite && table.startsWith(u"sqlite_", Qt::CaseInsensitive)) continue;
        // A name the process's code page cannot hold could not be typed or
        // shown either.
        std::string name;
        try {
            name = LexiconText(table, ProcessCodePage());
            CheckTableName(name);
        } catch (const EConvertError&) {
            continue;
        } catch (const EDatabaseError&) {
            name = LexiconText(database.driver()->escapeIdentifier(table, QSqlDriver::TableName),
                               ProcessCodePage());
        }
        names.push_back(std::move(name));
    }
    return names;
}

bool TSQLConnection::HasTable(std::string_view TableName) {
    const std::vector<std::string> tables = TableNames();
    return std::any_of(tables.begin(), tables.end(),
                       [&](const std::string& Table) { return AnsiSameText(Table, TableName); });
}

void TSQLConnection::ExecuteDirect(std::string_view Sql) {
    QSqlDatabase database = Database();
    Execute(database, DatabaseText(Sql, ProcessCodePage()));
}

void ConfigureConnection(TSQLConnection& Connection, const TDBSettings& Settings) {
    Connection.Close();
    Connection.settings_ = Settings;
}

void CopyConnection(const TSQLConnection& Source, TSQLConnection& Destination) {
    Destination.Close();
    Destination.settings_ = Source.settings_;
}

} // namespace lex
