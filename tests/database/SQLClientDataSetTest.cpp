#include "database/SQLClientDataSet.h"

#include "database/DBSchema.h"
#include "platform/Exceptions.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/LumoMultiDBLexWriter.h"
#include "support/SQLiteFile.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <QSqlError>
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

template <typename T>
std::vector<T> Sorted(std::vector<T> items) {
    std::sort(items.begin(), items.end());
    return items;
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
        ASSERT_EQ(dataSet->ApplyUpdates().Refused, 0);
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
        ASSERT_EQ(dataSet->ApplyUpdates().Refused, 0);
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
    EXPECT_EQ(dataSet->ApplyUpdates().Refused, 0);
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
    append({"k3", "936", "0", "again", ""}); // the key is taken: a conflict
    append({"k4", "936", "0", "\x81 ", ""}); // no text in code page 936
    append({"k5", "936", "0", "v5", ""});
    EXPECT_EQ(dataSet->ChangeCount(), 5);

    const TApplyCounts counts = dataSet->ApplyUpdates();
    EXPECT_EQ(counts.Refused, 1);
    EXPECT_EQ(counts.Conflicts, 1);
    EXPECT_EQ(beforeApply, 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0],
                testing::StartsWith("Field " +
                                    std::string(Postgres() ? "displayvalue" : "DISPLAYVALUE") +
                                    ": The text is not valid in code page 936|LEXKEY=k4|"));
    EXPECT_EQ(dataSet->ChangeCount(), 2);
    EXPECT_EQ(Rows(table), (std::vector<TLexRecord>{{"k1", "936", "0", "new1", ""},
                                                    {"k3", "936", "0", "v3", ""},
                                                    {"k5", "936", "0", "v5", ""}}));

    // The refused change stays pending and is tried again.
    EXPECT_EQ(dataSet->ApplyUpdates().Refused, 1);
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(dataSet->RecordCount(), 5);
}

// Another user changes rows between our read and our apply; each conflict
// is answered as the key says.
TEST_P(SQLDataSetTest, RowsSomeoneElseChangedAreConflictsAnsweredOneByOne) {
    for (const bool withKey : {true, false}) {
        SCOPED_TRACE(withKey ? "primary key" : "no primary key");
        const std::string table =
            withKey ? LexTable()
                    : CreateTable("LEXKEY varchar(200), CODEPAGE int, SEQNO int, "
                                  "DISPLAYVALUE varchar(200), CATALOGID varchar(200)");
        // A null among the original values must still find its row.
        admin_.ExecuteDirect("insert into " + table + " values ('a', 936, 0, 'va', " +
                             (withKey ? "''" : "null") + ")");
        Fill(table, {{"b", "936", "0", "vb", ""},
                     {"c", "936", "0", "vc", ""},
                     {"d", "936", "0", "vd", ""},
                     {"f", "936", "0", "vf", ""}});
        const auto dataSet = OpenDataSet(table);
        const auto edit = [&](std::string_view key, std::string_view value) {
            ASSERT_TRUE(Locate(*dataSet, key));
            dataSet->Edit();
            SetField(*dataSet, "DisplayValue", value);
            dataSet->Post();
        };
        edit("a", "ours");
        ASSERT_TRUE(Locate(*dataSet, "b"));
        dataSet->Delete();
        edit("c", "ours");
        edit("d", "same");
        edit("f", "ours");
        dataSet->Append();
        for (const auto& [field, value] : {std::pair{"LexKey", "e"},
                                           {"CodePage", "936"},
                                           {"SeqNo", "0"},
                                           {"DisplayValue", "ours"},
                                           {"CatalogID", ""}})
            SetField(*dataSet, field, value);
        dataSet->Post();

        for (const char* change :
             {"update %s set DISPLAYVALUE = 'theirs' where LEXKEY in ('a', 'b')",
              "delete from %s where LEXKEY = 'c'",
              "update %s set DISPLAYVALUE = 'same' where LEXKEY = 'd'",
              "insert into %s values ('e', 936, 0, 'theirs', '')"})
            admin_.ExecuteDirect(FormatText(change, {table}));

        std::vector<std::string> asked;
        dataSet->OnConflict = [&](const TRowConflict& conflict) {
            const auto value = [](std::span<const TReconcileField> fields) {
                return fields.empty() ? std::string("-") : std::string(fields[3].Value);
            };
            const std::string key(
                (conflict.Yours.empty() ? conflict.Theirs : conflict.Yours)[0].Value);
            asked.push_back(key + ":" + value(conflict.Theirs) + "/" + value(conflict.Yours));
            return key == "a" || key == "e" ? TConflictAnswer::Overwrite
                   : key == "b"             ? TConflictAnswer::KeepTheirs
                                            : TConflictAnswer::Skip;
        };
        const TApplyCounts counts = dataSet->ApplyUpdates();
        // Without a key nothing stops a second "e".
        std::vector<std::string> conflicts = {"a:theirs/ours", "b:theirs/-", "c:-/ours"};
        if (withKey) conflicts.push_back("e:theirs/ours");
        EXPECT_EQ(asked, conflicts);
        EXPECT_EQ(counts.Updated, withKey ? 4 : 3); // a overwritten, d the same, f, e over theirs
        EXPECT_EQ(counts.Conflicts, 1);
        EXPECT_EQ(counts.Refused, 0);
        EXPECT_EQ(dataSet->ChangeCount(), 1); // c, skipped
        const std::optional<std::string> top = withKey ? "" : std::optional<std::string>();
        std::vector<TLexRecord> rows = {{"a", "936", "0", "ours", top},
                                        {"b", "936", "0", "theirs", ""},
                                        {"d", "936", "0", "same", ""},
                                        {"e", "936", "0", "ours", ""},
                                        {"f", "936", "0", "ours", ""}};
        if (!withKey) rows.insert(rows.begin() + 4, {"e", "936", "0", "theirs", ""});
        EXPECT_EQ(Rows(table), rows);
        EXPECT_TRUE(Locate(*dataSet, "b")); // theirs kept: the row is back

        // The skipped change is asked about again by the next apply.
        dataSet->OnConflict = [](const TRowConflict&) { return TConflictAnswer::Overwrite; };
        EXPECT_EQ(dataSet->ApplyUpdates().Inserted, 1);
        EXPECT_EQ(Rows(table).size(), rows.size() + 1);
    }
}

// Changes go to the database many at a time; a row it refuses, one whose
// text cannot be converted and one that someone else took, changed or
// deleted still come out one by one, over more than one batch, and the rest
// are saved.
TEST_P(SQLDataSetTest, ChangesInBulkStillReportEachRefusalAndConflict) {
    const std::string table =
        CreateTable("LEXKEY varchar(200) not null, CODEPAGE int not null, SEQNO int not null, "
                    "DISPLAYVALUE varchar(200) not null check (DISPLAYVALUE <> 'bad'), "
                    "CATALOGID varchar(200) not null, primary key (LEXKEY, CODEPAGE, SEQNO)");
    const auto dataSet = OpenDataSet(table);
    admin_.ExecuteDirect("insert into " + table + " values ('k300', 936, 0, 'theirs', '')");
    std::vector<TLexRecord> records;
    for (int n = 0; n < 450; ++n)
        records.push_back({"k" + std::to_string(n), "936", "0",
                           n == 100   ? "bad"
                           : n == 260 ? "\x81 "
                                      : "v",
                           ""});
    TRecordListLexReader reader(test::StandardFields, records);
    WriteReaderToDataSet(*dataSet, reader);
    std::vector<std::string> refused, conflicts;
    dataSet->OnReconcileError = [&](std::string_view, std::span<const TReconcileField> fields) {
        refused.emplace_back(fields[0].Value);
    };
    dataSet->OnConflict = [&](const TRowConflict& conflict) {
        conflicts.emplace_back(conflict.Theirs[0].Value);
        return TConflictAnswer::Skip;
    };

    const TApplyCounts counts = dataSet->ApplyUpdates();
    EXPECT_EQ(counts.Inserted, 447);
    EXPECT_EQ(counts.Refused, 2);
    EXPECT_EQ(counts.Conflicts, 1);
    EXPECT_EQ(refused, (std::vector<std::string>{"k100", "k260"}));
    EXPECT_EQ(conflicts, std::vector<std::string>{"k300"});
    EXPECT_EQ(dataSet->ChangeCount(), 3);
    EXPECT_EQ(Rows(table).size(), 448u);

    // Updates go in bulk too, and a row someone else changed or deleted
    // meanwhile is still a conflict.
    const auto second = OpenDataSet(table);
    for (second->First(); !second->Eof(); second->Next()) {
        second->Edit();
        SetField(*second, "DisplayValue", "ours");
        second->Post();
    }
    admin_.ExecuteDirect("update " + table + " set DISPLAYVALUE = 'theirs' where LEXKEY = 'k150'");
    admin_.ExecuteDirect("delete from " + table + " where LEXKEY = 'k350'");
    conflicts.clear();
    second->OnConflict = [&](const TRowConflict& conflict) {
        conflicts.emplace_back(
            (conflict.Theirs.empty() ? conflict.Yours : conflict.Theirs)[0].Value);
        return TConflictAnswer::Skip;
    };
    const TApplyCounts updates = second->ApplyUpdates();
    EXPECT_EQ(updates.Updated, 446);
    EXPECT_EQ(updates.Conflicts, 2);
    EXPECT_EQ(Sorted(conflicts), (std::vector<std::string>{"k150", "k350"}));
}

TEST_P(SQLDataSetTest, AppendedRowsLeaveTheTablesOwnColumnsToTheirDefaults) {
    const std::string table = CreateTable(
        std::string(Postgres() ? "ID serial primary key" : "ID integer primary key autoincrement") +
        ", LEXKEY varchar(200) not null, CODEPAGE int not null, SEQNO int not null, "
        "DISPLAYVALUE varchar(200) not null, CATALOGID varchar(200) not null, "
        "AUTHOR varchar(20) default 'team', UPDATED_AT timestamp default current_timestamp");
    Fill(table, {{"a", "936", "0", "x", ""}, {"b", "936", "0", "y", ""}});
    const auto dataSet = OpenDataSet(table);
    const int author = dataSet->FieldByName("AUTHOR");
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
        EXPECT_EQ(dataSet->FieldText(author), "team");
        EXPECT_FALSE(dataSet->IsNull(dataSet->FieldByName("ID")));
        EXPECT_FALSE(dataSet->IsNull(dataSet->FieldByName("UPDATED_AT")));
    }
    ASSERT_TRUE(Locate(*dataSet, "b"));
    dataSet->Edit();
    SetField(*dataSet, "DisplayValue", "z");
    dataSet->Post();
    EXPECT_EQ(dataSet->ApplyUpdates().Updated, 1);
    const auto reread = OpenDataSet(table);
    ASSERT_TRUE(Locate(*reread, "b"));
    EXPECT_EQ(reread->FieldText(reread->FieldByName("DisplayValue")), "z");
}

TEST_P(SQLDataSetTest, ClearingTheTableIsAllOrNothing) {
    const std::string table = LexTable();
    Fill(table,
         {{"a", "936", "0", "x", ""}, {"b", "936", "0", "y", ""}, {"c", "936", "0", "z", ""}});
    const auto dataSet = OpenDataSet(table);
    dataSet->ClearTable();
    EXPECT_EQ(dataSet->RecordCount(), 0);
    TRecordListLexReader refused(test::StandardFields,
                                 {{"n1", "936", "0", "v", ""}, {"n2", "", "0", "v", ""}});
    WriteReaderToDataSet(*dataSet, refused); // n2 has no code page, which the table wants
    EXPECT_THAT([&] { dataSet->ApplyUpdates(); },
                ThrowsMessage<EDatabaseError>(
                    testing::StartsWith("Nothing was saved: the database refused the row ")));
    EXPECT_EQ(Rows(table).size(), 3u);

    const auto again = OpenDataSet(table);
    again->ClearTable();
    TRecordListLexReader records(test::StandardFields,
                                 {{"n1", "936", "0", "v", ""}, {"n2", "936", "0", "v", ""}});
    WriteReaderToDataSet(*again, records);
    const TApplyCounts counts = again->ApplyUpdates();
    EXPECT_EQ(counts.Deleted, 3);
    EXPECT_EQ(counts.Inserted, 2);
    EXPECT_EQ(again->ChangeCount(), 0);
    EXPECT_EQ(Rows(table).size(), 2u);
}

// The server drops the connection in the middle of an apply: what was
// committed stays, the rest is still pending and goes with the next apply,
// on a new connection.
TEST_P(SQLDataSetTest, ALostConnectionEndsTheApplyAndTheNextOneSendsTheRest) {
    if (!Postgres()) GTEST_SKIP() << "an embedded database has no connection to lose";
    const std::string table = LexTable();
    const auto dataSet = OpenDataSet(table);
    std::vector<TLexRecord> records;
    for (int i = 0; i < 1000; ++i)
        records.push_back({"k" + std::to_string(i), "936", "0", "v", ""});
    TRecordListLexReader reader(test::StandardFields, records);
    WriteReaderToDataSet(*dataSet, reader);
    int batches = 0;
    dataSet->OnBeforeApply = [&] {
        if (++batches != 3) return;
        QSqlQuery pid(dataSet->Connection().Database());
        ASSERT_TRUE(pid.exec("select pg_backend_pid()") && pid.next());
        admin_.ExecuteDirect("select pg_terminate_backend(" +
                             pid.value(0).toString().toStdString() + ")");
    };
    EXPECT_THAT([&] { dataSet->ApplyUpdates(); },
                ThrowsMessage<EDatabaseUnavailable>(testing::StartsWith(
                    "The connection to the database was lost after 400 of 1,000 rows: ")));
    EXPECT_FALSE(dataSet->Connection().Connected());
    EXPECT_EQ(dataSet->ChangeCount(), 600);
    EXPECT_EQ(Rows(table).size(), 400u);

    const TApplyCounts counts = dataSet->ApplyUpdates();
    EXPECT_EQ(counts.Inserted, 600);
    EXPECT_EQ(counts.Refused, 0);
    EXPECT_EQ(Rows(table).size(), 1000u);
}

// Another program holds the SQLite file locked: the apply ends once the
// wait for the lock runs out, with everything still pending.
TEST_P(SQLDataSetTest, ALockedDatabaseEndsTheApplyAndKeepsEverything) {
    if (Postgres()) GTEST_SKIP() << "a server's row locks only make a writer wait";
    const std::string table = LexTable();
    const auto dataSet = OpenDataSet(table);
    TRecordListLexReader reader(test::StandardFields,
                                {{"a", "936", "0", "v", ""}, {"b", "936", "0", "v", ""}});
    WriteReaderToDataSet(*dataSet, reader);
    {
        test::SQLiteFile locker(dir_ / "test.db");
        locker.Exec(QStringLiteral("BEGIN EXCLUSIVE"));
        EXPECT_THAT(
            [&] { dataSet->ApplyUpdates(); },
            ThrowsMessage<EDatabaseUnavailable>(testing::AllOf(
                testing::StartsWith("The database stopped taking changes after 0 of 2 rows: "),
                HasSubstr("database is locked"))));
        EXPECT_EQ(dataSet->ChangeCount(), 2);
        locker.Exec(QStringLiteral("COMMIT"));
    }
    EXPECT_EQ(dataSet->ApplyUpdates().Inserted, 2);
    EXPECT_EQ(Rows(table).size(), 2u);
}

TEST_P(SQLDataSetTest, ANulBytePostgreSQLCannotHoldIsRefusedAndTheRestSaved) {
    if (!Postgres()) GTEST_SKIP() << "SQLite text holds NUL bytes";
    const std::string table = LexTable();
    const auto dataSet = OpenDataSet(table);
    TRecordListLexReader reader(test::StandardFields,
                                {{"nul", "936", "0", "a\0b"s, ""}, {"ok", "936", "0", "v", ""}});
    WriteReaderToDataSet(*dataSet, reader);
    std::vector<std::string> reports;
    dataSet->OnReconcileError = [&](std::string_view message,
                                    std::span<const TReconcileField> fields) {
        reports.push_back(std::string(fields[0].Value) + ": " + std::string(message));
    };
    EXPECT_EQ(dataSet->ApplyUpdates().Refused, 1);
    EXPECT_EQ(reports, std::vector<std::string>{
                           "nul: Field displayvalue: PostgreSQL text cannot hold a NUL byte"});
    EXPECT_EQ(Rows(table), (std::vector<TLexRecord>{{"ok", "936", "0", "v", ""}}));
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
    EXPECT_EQ(dataSet->ApplyUpdates().Refused, 0);
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
    EXPECT_EQ(dataSet->ApplyUpdates().Refused, 1); // the server wants a code page
}

TEST_P(SQLDataSetTest, TextTheCodePageCannotHoldFailsTheOpen) {
    const std::string table = LexTable();
    QSqlQuery query(admin_.Database());
    ASSERT_TRUE(query.prepare(
        QString::fromStdString("insert into " + table + " values ('k', 936, 0, ?, '')")));
    query.addBindValue(u"\u0E01"_qs); // Thai: not in code page 936
    ASSERT_TRUE(query.exec());
    // Rows still on their way when the read gives up.
    ASSERT_TRUE(query.prepare(
        QString::fromStdString("insert into " + table + " values (?, 936, 0, 'v', '')")));
    ASSERT_TRUE(admin_.Database().transaction());
    for (int i = 0; i < 3000; ++i) {
        query.addBindValue(QString::number(i));
        ASSERT_TRUE(query.exec());
    }
    ASSERT_TRUE(admin_.Database().commit());
    TSQLClientDataSet dataSet;
    CopyConnection(admin_, dataSet.Connection());
    EXPECT_THAT([&] { dataSet.Open(table); }, ThrowsMessage<EDatabaseError>(testing::ContainsRegex(
                                                  "^Row 1, field (DISPLAYVALUE|displayvalue): ")));
    EXPECT_FALSE(dataSet.Active());
    // The connection is ready for the next statement.
    EXPECT_THAT(dataSet.Connection().TableNames(), testing::Contains(table));
}

// Rows come through the engine's own interface where it has one; what a
// value holds crosses whole (tabs, line ends, backslashes, "\N", bytes of a
// large object), and a table with a column of another type (a time) still
// reads, the way Qt's driver gives it.
TEST_P(SQLDataSetTest, EveryValueCrossesWholeAndOtherTypesStillRead) {
    const std::string table = CreateTable("LEXKEY varchar(200), CODEPAGE int, SEQNO int, "
                                          "DISPLAYVALUE varchar(200), CATALOGID varchar(200), "
                                          "DATA " +
                                          BlobType());
    const std::string timed = CreateTable("LEXKEY varchar(200), SEEN timestamp");
    const QString key = QStringLiteral("a\tb\nc\\d\re");
    const QByteArray data("\0\xFF\\x\t", 5);
    QSqlQuery insert(admin_.Database());
    ASSERT_TRUE(insert.prepare(
        QString::fromStdString("insert into " + table + " values (?, 1252, 0, ?, null, ?)")));
    insert.addBindValue(key);
    insert.addBindValue(QStringLiteral("\\N"));
    insert.addBindValue(data);
    ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
    admin_.ExecuteDirect("insert into " + timed + " values ('k', '2026-12-11 10:00:00')");

    const auto dataSet = OpenDataSet(table);
    ASSERT_EQ(dataSet->RecordCount(), 1);
    EXPECT_EQ(dataSet->FieldText(0), key.toStdString());
    EXPECT_EQ(dataSet->FieldText(3), "\\N");
    EXPECT_TRUE(dataSet->IsNull(4));
    EXPECT_EQ(dataSet->BlobBytes(5), data.toStdString());
    const auto times = OpenDataSet(timed);
    ASSERT_EQ(times->RecordCount(), 1);
    EXPECT_EQ(times->FieldText(0), "k");
    EXPECT_EQ(times->FieldText(1).substr(0, 10), "2026-12-11");
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

// SQLite keeps each value as what it is, whatever the column's type: every
// kind reads as the text Qt's driver would give, display values in their
// row's code page.
TEST(SQLiteValuesTest, EachStoredKindReadsAsItsText) {
    test::TempDir dir;
    TDBSettings settings;
    settings.Params = {"DriverName=SQLite", "Database=" + dir / "lex.db"};
    TSQLConnection admin;
    ConfigureConnection(admin, settings);
    admin.ExecuteDirect("create table MIXED (LEXKEY varchar(200), CODEPAGE int, SEQNO int, "
                        "DISPLAYVALUE varchar(200), CATALOGID varchar(200), DATA blob)");
    QSqlQuery insert(admin.Database());
    ASSERT_TRUE(insert.exec(QStringLiteral("insert into MIXED values (12, '936', 0, 1.5, x'6869', "
                                           "'abc'), ('k', 936, -7, '%1', null, x'00ff')")
                                .arg(u"\u6587\u4EF6"_qs)));
    TSQLClientDataSet dataSet;
    ConfigureConnection(dataSet.Connection(), settings);
    dataSet.Open("MIXED");
    ASSERT_EQ(dataSet.RecordCount(), 2);
    const std::vector<std::vector<std::string>> expected = {
        {"12", "936", "0", "1.5", "hi", "abc"},
        {"k", "936", "-7", "\xCE\xC4\xBC\xFE", "(null)", std::string("\0\xFF", 2)}};
    for (const std::vector<std::string>& row : expected) {
        for (int i = 0; i < dataSet.FieldCount(); ++i)
            EXPECT_EQ(dataSet.IsNull(i) ? "(null)" : std::string(dataSet.FieldText(i)),
                      row[static_cast<size_t>(i)])
                << dataSet.FieldName(i);
        dataSet.Next();
    }
}

// SQLite on a disk that fills up, then on one nobody may write: the first
// ends the apply with the table as it was; the second is still read.
TEST(SQLiteDiskTest, AFullDiskEndsTheApplyAndAReadOnlyOneIsStillRead) {
    test::SmallFileSystem disk(256 << 10);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    TDBSettings settings;
    settings.Params = {"DriverName=SQLite", "Database=" + disk / "lex.db"};
    {
        TSQLConnection admin;
        ConfigureConnection(admin, settings);
        admin.ExecuteDirect(CreateTableStatement("FORMLEX"));
        admin.ExecuteDirect("insert into FORMLEX values ('kept', 936, 0, 'v', '')");
    }
    {
        TSQLClientDataSet dataSet;
        ConfigureConnection(dataSet.Connection(), settings);
        dataSet.Open("FORMLEX");
        std::vector<TLexRecord> records;
        for (int i = 0; i < 150; ++i)
            records.push_back({"k" + std::to_string(i), "936", "0", std::string(4000, 'x'), ""});
        TRecordListLexReader reader(test::StandardFields, records);
        WriteReaderToDataSet(dataSet, reader);
        EXPECT_THAT([&] { dataSet.ApplyUpdates(); },
                    ThrowsMessage<EDatabaseUnavailable>(testing::StartsWith(
                        "The database stopped taking changes after 0 of 150 rows: ")));
        EXPECT_EQ(dataSet.ChangeCount(), 150);
    }
    ASSERT_TRUE(disk.MakeReadOnly());
    TSQLClientDataSet reading;
    ConfigureConnection(reading.Connection(), settings);
    reading.Open("FORMLEX");
    ASSERT_EQ(reading.RecordCount(), 1);
    EXPECT_EQ(reading.FieldText(0), "kept");
}

INSTANTIATE_TEST_SUITE_P(Backends, SQLDataSetTest, testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace lex
