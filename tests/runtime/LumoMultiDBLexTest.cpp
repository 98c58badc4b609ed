#include "platform/Exceptions.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/LumoMultiDBLexWriter.h"
#include "runtime/RecordListLexReader.h"
#include "support/MemoryDataSet.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>

namespace lex {
namespace {

using namespace std::string_literals;

using test::LexTable;
using test::TMemoryDataSet;

TEST(DBLexReaderTest, ReadsRowsAsRecords) {
    const std::string withZeros = "\xB4\xF2\0\xBF\xAA\0"s;
    auto table = LexTable(
        {{"Open", "936", "0", withZeros, "&File"}, {"&File", "1252", "1", std::nullopt, ""}});
    table.First();
    TDBLexReader reader(table);
    EXPECT_EQ(reader.RecNo(), 1); // the reader leaves the dataset where it is
    EXPECT_EQ(reader.RecordCount(), 2);
    EXPECT_EQ(reader.FieldName(0), "LEXKEY");
    EXPECT_EQ(reader.FieldValueByName("CodePage"), "936");
    EXPECT_EQ(reader.FieldValueByName("seqno"), "0");
    EXPECT_EQ(reader.FieldValue(3), withZeros);
    EXPECT_TRUE(reader.IsBlob(3));
    EXPECT_TRUE(reader.IsBlobByName("DisplayValue"));
    EXPECT_FALSE(reader.IsBlobByName("LexKey"));

    EXPECT_EQ(test::ReadAll(reader),
              (std::vector<TLexRecord>{{"Open", "936", "0", withZeros, "&File"},
                                       {"&File", "1252", "1", std::nullopt, ""}}));
    reader.First();
    reader.Next();
    EXPECT_EQ(reader.FieldValueByName("DisplayValue"), "");
    EXPECT_TRUE(reader.IsNullByName("DISPLAYVALUE"));
    EXPECT_FALSE(reader.IsNullByName("CatalogID"));
}

TEST(DBLexReaderTest, AMissingNameIsTheDataSetsError) {
    auto table = LexTable({{"k", "936", "0", "v", ""}});
    TDBLexReader reader(table);
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { reader.FieldValueByName("Comment"); }, [&] { reader.IsNullByName("Comment"); },
             [&] { reader.IsBlobByName("Comment"); }})
        EXPECT_THAT(call, testing::ThrowsMessage<EDatabaseError>("Field 'Comment' not found"));
}

TEST(DBLexReaderTest, ReadingSuspendsTheDataSetsViews) {
    auto table = LexTable();
    TDBLexReader reader(table);
    reader.BeginRead();
    EXPECT_EQ(table.disabled, 1);
    reader.EndRead();
    EXPECT_EQ(table.enabled, 1);
}

TEST(DBLexWriterTest, AppendsAcceptedRecordsByFieldNames) {
    const std::string blob = "a\0b"s;
    TRecordListLexReader reader({"CatalogID", "LexKey", "CodePage", "SeqNo", "DisplayValue"},
                                {{"", "k1", "936", "0", blob},
                                 {"k1", "skip", "936", "0", "x"},
                                 {"k1", "k2", "950", "1", std::nullopt}});
    auto table = LexTable({{"old", "1252", "0", "o", ""}});
    std::vector<double> fractions;
    WriteReaderToDataSet(
        table, reader,
        [&](std::span<const std::string_view> values, double fraction, bool& accept) {
            fractions.push_back(fraction);
            accept = values[1] != "skip";
        });
    EXPECT_EQ(table.Rows(), (std::vector<TLexRecord>{{"old", "1252", "0", "o", ""},
                                                     {"k1", "936", "0", blob, ""},
                                                     {"k2", "950", "1", "", "k1"}}));
    EXPECT_THAT(fractions, testing::ElementsAre(1.0 / 3, 2.0 / 3, 1.0));
    EXPECT_EQ(table.disabled, 0); // the writer suspends the reader, not the dataset
}

// The source of these tests is a reader over a second dataset, whose
// counters show that the writer balances BeginRead and EndRead.
TEST(DBLexWriterTest, AReaderFieldTheTableLacksFailsAtTheFirstAcceptedRecord) {
    TMemoryDataSet source({{"LexKey"}, {"Comment"}}, {{"k1", "c"}, {"k2", "c"}});
    TDBLexReader reader(source);
    auto table = LexTable();
    int offered = 0;
    EXPECT_THAT(
        [&] {
            WriteReaderToDataSet(table, reader,
                                 [&](std::span<const std::string_view>, double, bool& accept) {
                                     accept = ++offered == 2;
                                 });
        },
        testing::ThrowsMessage<EDatabaseError>(testing::HasSubstr("\"Comment\"")));
    EXPECT_EQ(offered, 2);
    EXPECT_TRUE(table.Rows().empty());
    EXPECT_FALSE(table.Filling());
    EXPECT_EQ(source.disabled, 1);
    EXPECT_EQ(source.enabled, 1);
}

TEST(DBLexWriterTest, AnEmptyReaderLeavesTheTableAlone) {
    TMemoryDataSet source({{"LexKey"}}, {});
    TDBLexReader reader(source);
    auto table = LexTable({{"old", "1252", "0", "o", ""}});
    int offered = 0;
    WriteReaderToDataSet(table, reader,
                         [&](std::span<const std::string_view>, double, bool&) { ++offered; });
    EXPECT_EQ(offered, 0);
    EXPECT_EQ(table.Rows().size(), 1u);
    EXPECT_EQ(source.disabled, 1);
    EXPECT_EQ(source.enabled, 1);
}

TEST(DBLexWriterTest, ARefusedPostKeepsEarlierRowsAndDropsItsOwn) {
    TMemoryDataSet source({{"LexKey"}, {"CodePage"}}, {{"k1", "936"}, {"k2", "bad"}, {"k3", "0"}});
    TDBLexReader reader(source);
    auto table = LexTable();
    table.refusePost = [](const TLexRecord& row) { return row[1] == "bad"; };
    EXPECT_THROW(WriteReaderToDataSet(table, reader), EDatabaseError);
    EXPECT_EQ(table.Rows(),
              (std::vector<TLexRecord>{{"k1", "936", std::nullopt, std::nullopt, std::nullopt}}));
    EXPECT_EQ(table.cancelled, 1);
    EXPECT_FALSE(table.Filling());
    EXPECT_EQ(source.enabled, 1);
}

} // namespace
} // namespace lex
