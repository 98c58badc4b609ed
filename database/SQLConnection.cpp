#include "database/SQLConnection.h"

#include "database/DBSchema.h"
#include "database/DBText.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace lex {
namespace {

// Qt keeps connections in a registry by name; each of ours has its own.
QString NewConnectionName() {
    static int count = 0;
    return QStringLiteral("LexConnection%1").arg(++count);
}

// The Qt connection under `name` is released before its name is removed.
void RemoveConnection(const QString& name) {
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

void Execute(QSqlDatabase& database, const QString& sql) {
    QSqlQuery query(database);
    if (!query.exec(sql)) RaiseDatabaseError(query.lastError());
}

} // namespace

void RaiseDatabaseError(const QSqlError& Error) {
    throw EDatabaseError(MessageText(Error.text()));
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
        try {
            if (!database.open()) RaiseDatabaseError(database.lastError());
            if (target.Driver == u"QSQLITE") {
                // Every change commits on its own. With a write-ahead log a
                // commit need not wait for the disk (a crash loses at most the
                // last commits, never the file), and checkpoints come seldom.
                // A read-only file keeps its mode and is still read.
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
