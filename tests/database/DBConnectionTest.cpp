#include "database/DBSchema.h"
#include "database/SQLConnection.h"
#include "platform/Exceptions.h"
#include "support/TempDir.h"

#include <QSqlDatabase>
#include <QSqlIndex>
#include <gmock/gmock.h>

namespace lex {
namespace {

using testing::HasSubstr;
using testing::ThrowsMessage;

TDBSettings Settings(std::vector<std::string> Params, std::string OptionsFileName = {}) {
    TDBSettings settings;
    settings.Params = std::move(Params);
    settings.OptionsFileName = std::move(OptionsFileName);
    return settings;
}

TEST(DBSettingsTest, DriverNamesMapOntoQtDrivers) {
    for (const auto& [name, driver] :
         std::vector<std::pair<std::string, QString>>{{"SQLite", "QSQLITE"},
                                                      {"postgresql", "QPSQL"},
                                                      {"MYSQL", "QMYSQL"},
                                                      {"ODBC", "QODBC"}})
        EXPECT_EQ(ResolveConnection(Settings({"DriverName=" + name})).Driver, driver) << name;

    const TConnectionTarget target = ResolveConnection(
        Settings({"DriverName=PostgreSQL", "hostname=db.example", "Database=lex", "User_Name=ann",
                  "Password=secret", "Port=5433", "GetDriverFunc=getSQLDriverMSSQL"}));
    EXPECT_EQ(target.HostName, "db.example");
    EXPECT_EQ(target.DatabaseName, "lex");
    EXPECT_EQ(target.UserName, "ann");
    EXPECT_EQ(target.Password, "secret");
    EXPECT_EQ(target.Port, 5433);
    EXPECT_FALSE(target.Embedded);

    EXPECT_THAT([] { ResolveConnection(Settings({"DriverName=Oracle"})); },
                ThrowsMessage<EDatabaseError>(
                    HasSubstr("Unknown database driver \"Oracle\": DriverName must be")));
    EXPECT_THAT(
        [] {
            ResolveConnection(Settings({"DriverName=SQLite", "Port=54x"}));
        },
        ThrowsMessage<EDatabaseError>("Port \"54x\" is not a port number"));
}

TEST(DBSettingsTest, SQLiteFilesLieBesideTheOptions) {
    for (const auto& [params, file] : std::vector<std::pair<std::vector<std::string>, QString>>{
             {{}, "/opt/lex/LexManager.db"},
             {{"DriverName=SQLite"}, "/opt/lex/LexManager.db"},
             {{"Database=team.db"}, "/opt/lex/team.db"},
             {{"Database=/srv/lex.db"}, "/srv/lex.db"}}) {
        const TConnectionTarget target = ResolveConnection(Settings(params, "/opt/lex/Lex.ini"));
        EXPECT_EQ(target.DatabaseName, file);
        EXPECT_EQ(target.Driver, "QSQLITE");
        EXPECT_EQ(target.Embedded, params.empty() || params[0].starts_with("Database"));
    }
}

TEST(DBConnectionTest, TheEmbeddedDatabaseGetsTheDefaultTable) {
    const test::TempDir dir;
    TSQLConnection connection;
    ConfigureConnection(connection, Settings({}, dir / "LexManager.ini"));
    connection.Open();
    EXPECT_THAT(connection.TableNames(), testing::ElementsAre("FORMLEX"));
    const QSqlIndex key = connection.Database().primaryIndex("FORMLEX");
    EXPECT_EQ(key.count(), 3);
    connection.Close();
    connection.Open(); // the table is there now and stays as it is
    EXPECT_THAT(connection.TableNames(), testing::ElementsAre("FORMLEX"));

    // Named explicitly, SQLite is just a database: nothing is created.
    TSQLConnection plain;
    ConfigureConnection(
        plain, Settings({"DriverName=SQLite", "Database=other.db"}, dir / "LexManager.ini"));
    EXPECT_TRUE(plain.TableNames().empty());
    EXPECT_TRUE(plain.Connected());
}

TEST(DBConnectionTest, CopyConnectionTakesTheSettingsAndClosesTheCopy) {
    const test::TempDir dir;
    TSQLConnection source, destination;
    TDBSettings settings = Settings({"Database=a.db", "HostName=h"}, dir / "LexManager.ini");
    settings.GetDriverFunc = "getSQLDriverINTERBASE";
    settings.LibraryName = "dbexpint.dll";
    settings.VendorLib = "gds32.dll";
    ConfigureConnection(source, settings);
    ConfigureConnection(destination, Settings({}, dir / "LexManager.ini"));
    destination.Open();
    CopyConnection(source, destination);
    EXPECT_FALSE(destination.Connected());
    EXPECT_EQ(destination.Settings().VendorLib, "gds32.dll");
    EXPECT_EQ(destination.Settings().Params, settings.Params);
    EXPECT_EQ(destination.ParamValue("hostname"), "h");
    EXPECT_EQ(destination.ParamValue("Database"), "a.db");
    EXPECT_EQ(destination.ParamValue("Port"), "");
}

TEST(DBConnectionTest, AnUnreachableServerGivesTheDriversError) {
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) GTEST_SKIP() << "no PostgreSQL driver";
    TSQLConnection connection;
    // Port 1 on loopback: nothing listens there, so the refusal comes at once.
    ConfigureConnection(connection, Settings({"DriverName=PostgreSQL", "HostName=127.0.0.1",
                                              "Port=1", "Database=lex", "User_Name=lex"}));
    EXPECT_THAT([&] { connection.Open(); }, ThrowsMessage<EDatabaseError>(HasSubstr("onnect")));
    EXPECT_FALSE(connection.Connected());
    EXPECT_THROW(connection.TableNames(), EDatabaseError); // and again, not a crash
}

TEST(DBSchemaTest, TableNamesMustBeTableReferences) {
    for (const char* name : {"FORMLEX", "dbo.FORMLEX", "_t$1", "\"odd \"\" name\"",
                             "public.\"My Table\"", "`x;y`", "[dbo].[FORMLEX]", "[a]]b]"})
        EXPECT_NO_THROW(CheckTableName(name)) << name;
    for (const char* name :
         {"", "FORMLEX; drop table FORMLEX", "FORMLEX --", "FORMLEX where 1=1", "a.b.c", "1abc",
          "\"unterminated", "\"\"", "a.", ".a", "x)", "\"a\"b", "\"tab\there\"", "FORMLEX\n"})
        EXPECT_THAT([&] { CheckTableName(name); },
                    ThrowsMessage<EDatabaseError>(HasSubstr("is not a table name")))
            << name;
    EXPECT_EQ(SelectAllStatement("dbo.FORMLEX"), "select * from dbo.FORMLEX");
    EXPECT_EQ(DeleteAllStatement("FORMLEX"), "delete from FORMLEX");
    EXPECT_THROW(DeleteAllStatement("FORMLEX or 1=1"), EDatabaseError);
}

} // namespace
} // namespace lex
