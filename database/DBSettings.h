#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// What the options' "DataBase" section says about the connection: the three
// driver keys, which are kept and shown but not needed by Qt's drivers, and
// every line of the section as a parameter. `DriverName` (SQLite, PostgreSQL,
// MySQL or ODBC) picks the driver, `HostName`, `Database`, `User_Name`,
// `Password` and `Port` say where to connect.
struct TDBSettings {
    std::string GetDriverFunc;
    std::string LibraryName;
    std::string VendorLib;
    std::vector<std::string> Params; // "name=value" lines
    // The embedded database lies beside the options file.
    std::string OptionsFileName;
};

// The "DataBase" section of an options file (none when the file is missing:
// the embedded database beside it).
TDBSettings ReadDBSettings(const std::string& OptionsFileName);

// The value of the parameter line of that name (ignoring ASCII case); empty
// when there is none.
std::string ParamValue(const std::vector<std::string>& Params, std::string_view Name);

// The settings turned into what a Qt connection takes.
struct TConnectionTarget {
    QString Driver; // the Qt driver: QSQLITE, QPSQL, QMYSQL or QODBC
    QString HostName;
    QString DatabaseName;
    QString UserName;
    QString Password;
    int Port = -1;
    // No driver named: the embedded SQLite database, which gets the default
    // table when it has none.
    bool Embedded = false;
};

// Raises EDatabaseError for a driver name it does not know and a port that is
// not a number. SQLite without `Database`, and the embedded database, use
// "LexManager.db"; a relative file name is taken from the options' folder.
TConnectionTarget ResolveConnection(const TDBSettings& Settings);

} // namespace lex
