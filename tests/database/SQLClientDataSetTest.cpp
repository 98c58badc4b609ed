#include "database/SQLClientDataSet.h"

#include "database/DBSchema.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/LumoMultiDBLexWriter.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <QSqlQuery>
#include <algorithm>
#include <cstdlib>
#include <gmock/gmock.h>
#include <unistd.h>

namespace lex {
namespace {

using namespace std::string_literals;
using testing::HasSubstr;
using testing::ThrowsMessage;

// Keys in a western code page, whatever the machine's locale.
const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0;

std::vector<std::string> SplitParams(std::string_view text) {
    std::vector<std::string> params;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        if (end > start) params.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return params;
}

std::vector<TLexRecord> Sorted(std::vector<TLexRecord> records) {
    std::sort(records.begin(), records.end());
    return records;
}

// Each test runs on SQLite and, when LEX_TEST_PGSQL names a server, on
// PostgreSQL, in tables of its own that it drops afterwards.
class SQLDataSetTest : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_TRUE(ForcedCodePage);
        if (Postgres()) {
            const char* server = std::getenv("LEX_TEST_PGSQL");
            if (!server || !*server) GTEST_SKIP() << "LEX_TEST_PGSQL is not set";
            settings_.Params = SplitParams(server);
            settings_.Params.push_back("DriverName=PostgreSQL");
        } else {
            settings_.Params = {"DriverName=SQLite", "Database=" + dir_ / "test.db"};
        }
        ConfigureConnection(admin_, settings_);
    }

    void TearDown() override {
        for (const std::string& table : tables_)
            admin_.ExecuteDirect("drop table " + table);
    }

    bool Postgres() const { return GetParam() == "PostgreSQL"; }
    std::string BlobType() const { return Postgres() ? "bytea" : "blob"; }

    std::string CreateTable(std::string_view Columns, std::string_view Name = {}) {
        static int count = 0;
        std::string name(Name);
        if (name.empty()) name = "lex_" + std::to_string(getpid()) + "_" + std::to_string(++count);
        admin_.ExecuteDirect("create table " + name + " (" + std::string(Columns) + ")");
        tables_.push_back(name);
        return name;
    }

    // The default table's schema under a name of the test's own.
    std::string LexTable() {
        std::string script(PortableSchemaScript);
        const std::string name = "lex_" + std::to_string(getpid()) + "_" + ++lexTables_;
        for (size_t at; (at = script.find(DefaultTableName)) != std::string::npos;)
            script.replace(at, DefaultTableName.size(), name);
        admin_.ExecuteDirect(script);
        tables_.push_back(name);
        return name;
    }

    std::unique_ptr<TSQLClientDataSet> OpenDataSet(const std::string& Table) {
        auto dataSet = std::make_unique<TSQLClientDataSet>();
        CopyConnection(admin_, dataSet->Connection());
        dataSet->Open(Table);
        return dataSet;
    }

    // Every row of the table as read through a fresh dataset, sorted.
    std::vector<TLexRecord> Rows(const std::string& Table) {
        const auto dataSet = OpenDataSet(Table);
        TDBLexReader reader(*dataSet);
        return Sorted(test::ReadAll(reader));
    }

    // Appends the records and applies them, which must all succeed.
    void Fill(const std::string& Table, std::vector<TLexRecord> Records) {
        const auto dataSet = OpenDataSet(Table);
        TRecordListLexReader reader(test::StandardFields, std::move(Records));
        WriteReaderToDataSet(*dataSet, reader);
        ASSERT_EQ(dataSet->ApplyUpdates(), 0);
    }

    static bool Locate(TSQLClientDataSet& DataSet, std::string_view Key) {
        for (DataSet.First(); !DataSet.Eof(); DataSet.Next())
            if (DataSet.FieldText(DataSet.FieldByName(LexKeyField)) == Key) return true;
        return false;
    }

    static void SetField(TSQLClientDataSet& DataSet, std::string_view Name, std::string_view Text) {
        DataSet.SetFieldText(DataSet.FieldByName(Name), Text);
    }

    test::TempDir dir_;
    TDBSettings settings_;
    TSQLConnection admin_;
    std::vector<std::string> tables_;
    char lexTables_ = 'a';
};

TEST_P(SQLDataSetTest, TheReaderGivesRowsAsRecords) {
    const std::string table =
        CreateTable("LEXKEY varchar(200), CODEPAGE int, SEQNO int, DISPLAYVALUE " + BlobType() +
                    ", CATALOGID varchar(200)");
    admin_.ExecuteDirect("insert into " + table +
                         " (LEXKEY, CODEPAGE, SEQNO) values ('Open', 936, 0)");
    const std::string blob = "\xB4\xF2\0\xBF\xAA\0\xFF"s;
    {
        const auto dataSet = OpenDataSet(table);
        dataSet->Append();
        SetField(*dataSet, "lexkey", "Zero");
        SetField(*dataSet, "CodePage", "950");
        SetField(*dataSet, "SEQNO", "1");
        dataSet->LoadBlob(dataSet->FieldByName("DisplayValue"), blob);
        dataSet->Post();
        ASSERT_EQ(dataSet->ApplyUpdates(), 0);
    }

    const auto dataSet = OpenDataSet(table);
    TDBLexReader reader(*dataSet);
    EXPECT_EQ(FindFieldIndex(reader, "CatalogID"), 4);
    EXPECT_TRUE(reader.IsBlobByName("displayvalue"));
    EXPECT_FALSE(reader.IsBlobByName("LexKey"));
    EXPECT_EQ(reader.RecordCount(), 2);
    EXPECT_EQ(test::ReadAll(reader),
              (std::vector<TLexRecord>{{"Open", "936", "0", std::nullopt, std::nullopt},
                                       {"Zero", "950", "1", blob, std::nullopt}}));
    reader.First();
    EXPECT_EQ(reader.FieldValueByName("DisplayValue"), "");
    EXPECT_THAT([&] { reader.FieldValueByName("Comment"); },
                ThrowsMessage<EDatabaseError>("Field 'Comment' not found"));
}

TEST_P(SQLDataSetTest, DisplayValuesAreStoredAsTextAndComeBackAsBytes) {
    const std::vector<TLexRecord> records = {{"Open", "936", "0", "\xB4\xF2\xBF\xAA", ""},
                                             {"Open", "950", "0", "\xB6\x7D\xB1\xD2", ""},
                                             {"Open", "1252", "0",
                                              "\xD6"
                                              "ffnen",
                                              ""},
                                             {"\xC4nderung", "0", "0", "\xE9t\xE9", "Open"}};
    const std::string table = LexTable();
    Fill(table, records);
    EXPECT_EQ(Rows(table), Sorted(records));

    QSqlQuery query(admin_.Database());
    ASSERT_TRUE(query.exec(QString::fromStdString("select DISPLAYVALUE, LEXKEY from " + table +
                                                  " order by CODEPAGE")));
    QStringList texts;
    while (query.next())
        texts << query.value(0).toString() + "/" + query.value(1).toString();
    EXPECT_EQ(texts, QStringList({u"\u00E9t\u00E9/\u00C4nderung"_qs, u"\u6253\u5F00/Open"_qs,
                                  u"\u958B\u555F/Open"_qs, u"\u00D6ffnen/Open"_qs}));
}

TEST_P(SQLDataSetTest, TheWriterSkipsDeclinedRecordsAndRefusesUnknownFields) {
    const std::string table = LexTable();
    const auto dataSet = OpenDataSet(table);
    TRecordListLexReader records(
        test::StandardFields,
        {{"a", "936", "0", "x", ""}, {"skip", "936", "0", "x", ""}, {"b", "936", "0", "y", ""}});
    WriteReaderToDataSet(*dataSet, records,
                         [](std::span<const std::string_view> values, double, bool& accept) {
                             accept = values[0] != "skip";
                         });
    EXPECT_EQ(dataSet->ChangeCount(), 2);

    TRecordListLexReader extra({"LexKey", "Comment"}, {{"c", "note"}});
    EXPECT_THAT([&] { WriteReaderToDataSet(*dataSet, extra); },
                ThrowsMessage<EDatabaseError>(HasSubstr("no field \"Comment\"")));
    EXPECT_EQ(dataSet->ChangeCount(), 2);
    EXPECT_EQ(dataSet->ApplyUpdates(), 0);
    EXPECT_EQ(Rows(table),
              (std::vector<TLexRecord>{{"a", "936", "0", "x", ""}, {"b", "936", "0", "y", ""}}));
}

TEST_P(SQLDataSetTest, ARefusedChangeIsReportedAndTheOthersApplied) {
    const std::string table = LexTable();
    Fill(
        table,
        {{"k1", "936", "0", "v1", ""}, {"k2", "936", "0", "v2", ""}, {"k3", "936", "0", "v3", ""}});
    const auto dataSet = OpenDataSet(table);
    int beforeApply = 0;
    std::vector<std::string> reports;
    dataSet->OnBeforeApply = [&] { ++beforeApply; };
    dataSet->OnReconcileError = [&](std::string_view message,
                                    std::span<const TReconcileField> fields) {
        std::string report(message);
        // PostgreSQL names the columns in lower case.
        for (const TReconcileField& field : fields)
            report += "|" +
                      QString::fromStdString(std::string(field.Name)).toUpper().toStdString() +
                      "=" + std::string(field.Value);
        reports.push_back(report);
    };

    ASSERT_TRUE(Locate(*dataSet, "k1"));
    dataSet->Edit();
    SetField(*dataSet, "DisplayValue", "new1");
    dataSet->Post();
    ASSERT_TRUE(Locate(*dataSet, "k2"));
    dataSet->Delete();
    const auto append = [&](const TLexRecord& record) {
        dataSet->Append();
        for (int i = 0; i < 5; ++i)
            SetField(*dataSet, test::StandardFields[i], *record[i]);
        dataSet->Post();
    };
    append({"k3", "936", "0", "again", ""}); // the key is taken
    append({"k4", "936", "0", "\x81 ", ""}); // no text in code page 936
    append({"k5", "936", "0", "v5", ""});
    EXPECT_EQ(dataSet->ChangeCount(), 5);

    EXPECT_EQ(dataSet->ApplyUpdates(), 2);
    EXPECT_EQ(beforeApply, 1);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_THAT(reports[0],
                HasSubstr("|LEXKEY=k3|CODEPAGE=936|SEQNO=0|DISPLAYVALUE=again|CATALOGID="));
    EXPECT_THAT(reports[1],
                testing::StartsWith("Field " +
                                    std::string(Postgres() ? "displayvalue" : "DISPLAYVALUE") +
                                    ": The text is not valid in code page 936|LEXKEY=k4|"));
    EXPECT_EQ(dataSet->ChangeCount(), 2);
    EXPECT_EQ(Rows(table), (std::vector<TLexRecord>{{"k1", "936", "0", "new1", ""},
                                                    {"k3", "936", "0", "v3", ""},
                                                    {"k5", "936", "0", "v5", ""}}));

    // The refused changes stay pending and are tried again.
    EXPECT_EQ(dataSet->ApplyUpdates(), 2);
    EXPECT_EQ(reports.size(), 4u);
    EXPECT_EQ(dataSet->RecordCount(), 5);
}

TEST_P(SQLDataSetTest, RowsAreFoundByTheKeyOrElseByAllOriginalValues) {
    for (const bool withKey : {true, false}) {
        SCOPED_TRACE(withKey ? "primary key" : "no primary key");
        const std::string table =
            withKey ? LexTable()
                    : CreateTable("LEXKEY varchar(200), CODEPAGE int, SEQNO int, "
                                  "DISPLAYVALUE varchar(200), CATALOGID varchar(200)");
        // Without a key, a null among the original values must still find its row.
        admin_.ExecuteDirect("insert into " + table + " values ('a', 936, 0, 'va', " +
                             (withKey ? "''" : "null") + ")");
        Fill(table, {{"b", "936", "0", "vb", "a"}, {"c", "936", "0", "vc", "a"}});
        const auto dataSet = OpenDataSet(table);
        ASSERT_TRUE(Locate(*dataSet, "a"));
        dataSet->Edit();
        SetField(*dataSet, "LexKey", "a2");
        SetField(*dataSet, "DisplayValue", "va2");
        dataSet->Post();
        ASSERT_TRUE(Locate(*dataSet, "b"));
        dataSet->Delete();
        EXPECT_EQ(dataSet->ApplyUpdates(), 0);
        EXPECT_EQ(Rows(table),
                  (std::vector<TLexRecord>{
                      {"a2", "936", "0", "va2", withKey ? "" : std::optional<std::string>()},
                      {"c", "936", "0", "vc", "a"}}));

        // Another user changes "c" first: the key still finds the row, the
        // original values no longer do.
        admin_.ExecuteDirect("update " + table + " set DISPLAYVALUE = 'theirs' where LEXKEY = 'c'");
        ASSERT_TRUE(Locate(*dataSet, "c"));
        dataSet->Edit();
        SetField(*dataSet, "DisplayValue", "ours");
        dataSet->Post();
        std::string refusal;
        dataSet->OnReconcileError = [&](std::string_view message,
                                        std::span<const TReconcileField>) { refusal = message; };
        EXPECT_EQ(dataSet->ApplyUpdates(), withKey ? 0 : 1);
        EXPECT_EQ(refusal, withKey ? "" : "Record not found or changed by another user");
        EXPECT_EQ(Rows(table)[1][3], withKey ? "ours" : "theirs");
    }
}

TEST_P(SQLDataSetTest, TheCursorFollowsDeletesAndAppends) {
    const std::string table = LexTable();
    Fill(table, {{"a", "936", "0", "", ""}, {"b", "936", "0", "", ""}, {"c", "936", "0", "", ""}});
    const auto dataSet = OpenDataSet(table);
    dataSet->Next();
    const std::string second(dataSet->FieldText(0));
    dataSet->Delete();
    EXPECT_EQ(dataSet->RecNo(), 2);
    EXPECT_EQ(dataSet->RecordCount(), 2);
    EXPECT_FALSE(dataSet->Eof());
    EXPECT_NE(dataSet->FieldText(0), second);
    dataSet->Delete();
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_EQ(dataSet->RecordCount(), 1);

    dataSet->Append();
    SetField(*dataSet, "LexKey", "d");
    dataSet->Post();
    EXPECT_EQ(dataSet->RecNo(), 2);
    EXPECT_EQ(dataSet->ChangeCount(), 3);
    dataSet->Delete(); // never reached the server: no change left for it
    EXPECT_EQ(dataSet->ChangeCount(), 2);
    dataSet->First();
    EXPECT_EQ(dataSet->RecNo(), 1);
    dataSet->Next();
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_EQ(dataSet->ApplyUpdates(), 0);
    EXPECT_EQ(Rows(table).size(), 1u);
}

TEST_P(SQLDataSetTest, PostRefusesTextAnIntegerFieldCannotTake) {
    const auto dataSet = OpenDataSet(LexTable());
    std::string postError;
    dataSet->OnPostError = [&](std::string_view message) { postError = message; };
    dataSet->Append();
    SetField(*dataSet, "SeqNo", "1x");
    EXPECT_THAT([&] { dataSet->Post(); },
                ThrowsMessage<EDatabaseError>("'1x' is not a valid integer value"));
    EXPECT_EQ(postError, "'1x' is not a valid integer value");
    SetField(*dataSet, "SeqNo", "01");
    SetField(*dataSet, "CodePage", "");
    dataSet->Post();
    EXPECT_EQ(dataSet->FieldText(dataSet->FieldByName("SeqNo")), "1");
    EXPECT_TRUE(dataSet->IsNull(dataSet->FieldByName("CodePage")));
    EXPECT_EQ(dataSet->ApplyUpdates(), 1); // the server wants a code page
}

TEST_P(SQLDataSetTest, TextTheCodePageCannotHoldFailsTheOpen) {
    const std::string table = LexTable();
    QSqlQuery query(admin_.Database());
    ASSERT_TRUE(query.prepare(
        QString::fromStdString("insert into " + table + " values ('k', 936, 0, ?, '')")));
    query.addBindValue(u"\u0E01"_qs); // Thai: not in code page 936
    ASSERT_TRUE(query.exec());
    TSQLClientDataSet dataSet;
    CopyConnection(admin_, dataSet.Connection());
    EXPECT_THAT([&] { dataSet.Open(table); }, ThrowsMessage<EDatabaseError>(testing::ContainsRegex(
                                                  "^Row 1, field (DISPLAYVALUE|displayvalue): ")));
    EXPECT_FALSE(dataSet.Active());
}

TEST_P(SQLDataSetTest, TableNamesWithSqlInThemAreRefusedBeforeAnyStatement) {
    const std::string table = LexTable();
    Fill(table, {{"a", "936", "0", "", ""}});
    TSQLClientDataSet dataSet;
    CopyConnection(admin_, dataSet.Connection());
    EXPECT_THAT([&] { dataSet.Open(table + "; delete from " + table); },
                ThrowsMessage<EDatabaseError>(HasSubstr("is not a table name")));
    EXPECT_FALSE(dataSet.Connection().Connected());
    EXPECT_EQ(Rows(table).size(), 1u);
}

TEST_P(SQLDataSetTest, TheTableListHasUserTablesOnly) {
    const std::string counted =
        CreateTable(Postgres() ? "id serial primary key" : "id integer primary key autoincrement");
    admin_.ExecuteDirect("insert into " + counted + " default values");
    const std::string odd =
        CreateTable("LEXKEY varchar(200)", "\"lex " + std::to_string(getpid()) + "\"");
    const std::vector<std::string> names = admin_.TableNames();
    EXPECT_THAT(names, testing::IsSupersetOf({counted, odd}));
    for (const std::string& name : names) {
        EXPECT_FALSE(name.starts_with("sqlite_") || name.starts_with("pg_")) << name;
        EXPECT_NO_THROW(CheckTableName(name)) << name;
    }
    EXPECT_EQ(OpenDataSet(odd)->FieldName(0), Postgres() ? "lexkey" : "LEXKEY");
}

INSTANTIATE_TEST_SUITE_P(Backends, SQLDataSetTest, testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace lex
