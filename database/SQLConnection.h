#pragma once

#include "database/DBSettings.h"
#include "platform/Exceptions.h"

#include <QSqlDatabase>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// A database connection configured from the options: it keeps the settings
// and opens a Qt connection of its own (uniquely named) when asked. The
// settings change only through ConfigureConnection and CopyConnection, which
// close the connection first.
class TSQLConnection {
public:
    TSQLConnection();
    ~TSQLConnection();
    TSQLConnection(const TSQLConnection&) = delete;
    TSQLConnection& operator=(const TSQLConnection&) = delete;

    const TDBSettings& Settings() const { return settings_; }
    // A parameter of the settings, such as "HostName" for window titles.
    std::string ParamValue(std::string_view Name) const;

    // Raises EDatabaseError with the driver's message when the connection
    // cannot be made. The embedded database gets its default table here.
    void Open();
    // Opens the connection, or opens it anew when the server no longer
    // answers on it (it was restarted, the network dropped it); raises
    // EDatabaseUnavailable when it cannot be made.
    void EnsureAlive();
    void Close();
    bool Connected() const { return connected_; }

    // The database's user tables, system tables left out, in the driver's
    // order. A name that is not a plain table reference comes quoted, so that
    // it can go into a statement as it is. Opens the connection if needed.
    std::vector<std::string> TableNames();
    // Whether the database has a user table of that name (ignoring ASCII
    // case, as unquoted names are). Opens the connection if needed.
    bool HasTable(std::string_view TableName);
    // Runs one statement that returns no rows, committed on its own. Opens
    // the connection if needed.
    void ExecuteDirect(std::string_view Sql);

    // The open Qt connection, for the datasets that read through it.
    QSqlDatabase Database();

    friend void ConfigureConnection(TSQLConnection& Connection, const TDBSettings& Settings);
    friend void CopyConnection(const TSQLConnection& Source, TSQLConnection& Destination);

private:
    TDBSettings settings_;
    QString name_;
    bool connected_ = false;
};

// Closes the connection and gives it the options' settings.
void ConfigureConnection(TSQLConnection& Connection, const TDBSettings& Settings);
// Closes Destination and gives it Source's settings.
void CopyConnection(const TSQLConnection& Source, TSQLConnection& Destination);

// The database as a whole stopped taking changes: the connection was lost,
// or it is locked, read-only or full. Unlike a refusal of one change, this
// ends whatever was being sent.
class EDatabaseUnavailable : public EDatabaseError {
public:
    EDatabaseUnavailable(const std::string& Message, bool ConnectionLost)
        : EDatabaseError(Message), ConnectionLost(ConnectionLost) {}
    bool ConnectionLost;
};

// The Qt driver's error, its text in the process's code page: an
// EDatabaseUnavailable when it is about the database rather than the
// statement (as the driver of Database tells), else an EDatabaseError.
[[noreturn]] void RaiseDatabaseError(const QSqlDatabase& Database, const QSqlError& Error);

} // namespace lex
