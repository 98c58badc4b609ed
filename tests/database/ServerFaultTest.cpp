// The test server stopped in the middle of a save and started again: the
// apply ends at once, saying how much reached the server, and the next one
// connects anew and sends the rest. Needs a server of its own to stop, which
// test.sh names in LEX_TEST_PGSQL and LEX_TEST_PGCTL.
#include "database/DBSchema.h"
#include "database/SQLClientDataSet.h"
#include "runtime/LumoMultiDBLexWriter.h"
#include "runtime/RecordListLexReader.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <unistd.h>

namespace lex {
namespace {

const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0;

TDBSettings ServerSettings(std::string_view Server) {
    TDBSettings settings;
    for (size_t start = 0; start <= Server.size();) {
        const size_t end = std::min(Server.find(';', start), Server.size());
        if (end > start) settings.Params.emplace_back(Server.substr(start, end - start));
        start = end + 1;
    }
    settings.Params.push_back("DriverName=PostgreSQL");
    return settings;
}

TEST(ServerFaultTest, AServerStoppedMidSaveLosesNothing) {
    ASSERT_TRUE(ForcedCodePage);
    const char* server = std::getenv("LEX_TEST_PGSQL");
    const char* control = std::getenv("LEX_TEST_PGCTL");
    if (!server || !*server || !control || !*control)
        GTEST_SKIP() << "LEX_TEST_PGSQL and LEX_TEST_PGCTL name no server of the tests' own";
    const auto pgCtl = [&](const std::string& Arguments) {
        return std::system((std::string(control) + " " + Arguments + " >/dev/null 2>&1").c_str());
    };

    TSQLConnection admin;
    ConfigureConnection(admin, ServerSettings(server));
    const std::string table = "lex_fault_" + std::to_string(getpid());
    admin.ExecuteDirect(CreateTableStatement(table));
    TSQLClientDataSet dataSet;
    CopyConnection(admin, dataSet.Connection());
    dataSet.Open(table);
    std::vector<TLexRecord> records;
    for (int i = 0; i < 1000; ++i)
        records.push_back({"k" + std::to_string(i), "936", "0", "v", ""});
    TRecordListLexReader reader(test::StandardFields, records);
    WriteReaderToDataSet(dataSet, reader);

    int batches = 0;
    dataSet.OnBeforeApply = [&] {
        if (++batches == 3) {
            ASSERT_EQ(pgCtl("stop -m fast -w"), 0);
        }
    };
    EXPECT_THAT([&] { dataSet.ApplyUpdates(); },
                testing::ThrowsMessage<EDatabaseUnavailable>(testing::StartsWith(
                    "The connection to the database was lost after 400 of 1,000 rows: ")));
    EXPECT_EQ(dataSet.ChangeCount(), 600);

    // Still down: the next apply says so and keeps everything.
    EXPECT_THROW(dataSet.ApplyUpdates(), EDatabaseUnavailable);
    EXPECT_EQ(dataSet.ChangeCount(), 600);

    ASSERT_EQ(pgCtl("restart -w"), 0);
    const TApplyCounts counts = dataSet.ApplyUpdates();
    EXPECT_EQ(counts.Inserted, 600);
    EXPECT_EQ(counts.Refused, 0);
    EXPECT_EQ(dataSet.ChangeCount(), 0);

    ConfigureConnection(admin, ServerSettings(server)); // its connection died with the server
    TSQLClientDataSet check;
    CopyConnection(admin, check.Connection());
    check.Open(table);
    EXPECT_EQ(check.RecordCount(), 1000);
    admin.ExecuteDirect("drop table " + table);
}

} // namespace
} // namespace lex
