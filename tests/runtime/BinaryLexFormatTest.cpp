#include "runtime/BinaryLexFormat.h"

#include "platform/Exceptions.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

using namespace std::string_literals;
using test::ReadAll;
using test::StandardFields;

// The example lexicon: "&File" in 1252, sequence 0, "Datei", null catalog.
const std::string WorkedExample = "\x05\0\0\0"
                                  "\x06\0\0\0LexKey"
                                  "\x08\0\0\0CodePage"
                                  "\x05\0\0\0SeqNo"
                                  "\x0C\0\0\0DisplayValue"
                                  "\x09\0\0\0CatalogID"
                                  "\x01\0\0\0"
                                  "\x05\0\0\0&File"
                                  "\x04\0\0\0"
                                  "1252"
                                  "\x01\0\0\0"
                                  "0"
                                  "\x05\0\0\0"
                                  "Datei"
                                  "\xFF\xFF\xFF\xFF"s;

std::string Write(ILexReader& reader, const TLexProgressEvent& progress = {}) {
    std::string bytes;
    StringOutputStream stream(bytes);
    WriteBinaryLex(reader, stream, progress);
    return bytes;
}

TEST(BinaryLexFormatTest, WritesTheWorkedExampleByteForByte) {
    ASSERT_EQ(WorkedExample.size(), 103u);
    TRecordListLexReader source(StandardFields, {{"&File", "1252", "0", "Datei", std::nullopt}});
    EXPECT_EQ(Write(source), WorkedExample);

    TRecordListLexReader empty(StandardFields, {});
    const std::string header = Write(empty);
    EXPECT_EQ(header.size(), 68u);
    TBinaryStreamLexReader reader(header);
    EXPECT_EQ(reader.FieldCount(), 5);
    EXPECT_EQ(reader.RecordCount(), 0);
    EXPECT_TRUE(reader.Eof());
}

TEST(BinaryLexFormatTest, ReadsBackEveryValueAndNull) {
    auto source = test::AwkwardLexicon();
    TBinaryStreamLexReader reader(Write(source));
    EXPECT_EQ(reader.RecordCount(), static_cast<int>(test::AwkwardRecords().size()));
    EXPECT_EQ(ReadAll(reader), test::AwkwardRecords());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(reader.FieldName(i), StandardFields[i]);
}

TEST(BinaryLexFormatTest, NullFieldReadsAsEmptyNotAsThePreviousValue) {
    TRecordListLexReader source(
        StandardFields, {{"a", "1", "0", "x", "parent"}, {"b", "1", "0", "y", std::nullopt}});
    TBinaryStreamLexReader reader(Write(source));
    reader.Next();
    EXPECT_TRUE(reader.IsNull(4));
    EXPECT_EQ(reader.FieldValue(4), "");
}

TEST(BinaryLexFormatTest, CountAndPositionFollowTheData) {
    // Announces 3; the callback rejects the second record.
    TRecordListLexReader source(
        StandardFields,
        {{"a", "1", "0", "x", ""}, {"b", "1", "0", "y", ""}, {"c", "1", "0", "z", ""}});
    std::vector<double> fractions;
    const std::string bytes = Write(source, [&](auto values, double fraction, bool& accept) {
        fractions.push_back(fraction);
        accept = values[0] != "b";
    });
    TBinaryStreamLexReader reader(bytes);
    EXPECT_EQ(reader.RecordCount(), 3);
    EXPECT_EQ(reader.RecNo(), 1);
    reader.Next();
    EXPECT_EQ(reader.FieldValue(0), "c");
    EXPECT_EQ(reader.RecNo(), 2);
    reader.Next();
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(reader.RecNo(), 2);
    EXPECT_EQ(reader.FieldValue(0), "c");
    reader.First();
    EXPECT_EQ(reader.FieldValue(0), "a");
    EXPECT_EQ(reader.RecNo(), 1);
    EXPECT_EQ(fractions, (std::vector<double>{1.0 / 3, 2.0 / 3, 1.0}));

    TRecordListLexReader all(StandardFields, {{"a"}, {"b"}});
    EXPECT_EQ(Write(all, [](auto, double, bool& accept) { accept = false; }).size(), 68u);
}

TEST(BinaryLexFormatTest, ReservationsAreBoundedByWhatTheDataHolds) {
    // Each record of five fields takes at least 20 bytes: the worked example
    // (one record, 35 bytes of data) can hold one, whatever its header says.
    const struct {
        int announced;
        int reservable;
    } cases[] = {{1, 1}, {0, 0}, {-5, 0}, {1 << 28, 1}, {0x7FFFFFFF, 1}};
    for (const auto& c : cases) {
        std::string bytes = WorkedExample;
        const auto r = static_cast<uint32_t>(c.announced);
        for (int i = 0; i < 4; ++i)
            bytes[64 + i] = static_cast<char>(r >> (8 * i));
        TBinaryStreamLexReader reader(bytes);
        EXPECT_EQ(reader.RecordCount(), c.announced); // reported as the header says
        EXPECT_EQ(reader.ReservableRecordCount(), c.reservable) << c.announced;
        EXPECT_EQ(ReadAll(reader).size(), 1u);
    }
    TRecordListLexReader empty(StandardFields, {}, 1000);
    EXPECT_EQ(TBinaryStreamLexReader(Write(empty)).ReservableRecordCount(), 0);
    TRecordListLexReader noFields({}, {}, 1000);
    EXPECT_EQ(TBinaryStreamLexReader(Write(noFields)).ReservableRecordCount(), 0);
}

TEST(BinaryLexFormatTest, DamagedDataIsAClearErrorNamingTheOffset) {
    const struct {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"empty", "", "the field count is cut short (the data ends at byte 0) at byte offset 0"},
        {"negative field count", "\xFF\xFF\xFF\xFF"s, "field count -1 does not fit the data"},
        {"huge field count", "\xFF\xFF\xFF\x7F\0\0\0\0"s,
         "field count 2147483647 does not fit the data"},
        {"name past the end", "\x01\0\0\0\x10\0\0\0abc"s,
         "length 16 runs past the end of the data (11 bytes) at byte offset 4"},
        {"record count cut", WorkedExample.substr(0, 66), "the record count is cut short"},
        {"value cut", WorkedExample.substr(0, 96),
         "length 5 runs past the end of the data (96 bytes) at byte offset 90"},
        {"length cut", WorkedExample.substr(0, 101),
         "the field length is cut short (the data ends at byte 101) at byte offset 99"},
        {"length below -1", WorkedExample.substr(0, 99) + "\xFE\xFF\xFF\xFF"s,
         "length -2 at byte offset 99"},
        {"huge value length", WorkedExample.substr(0, 68) + "\xFF\xFF\xFF\x7F"s,
         "length 2147483647 runs past the end of the data (72 bytes) at byte offset 68"},
        {"records without fields", "\0\0\0\0\0\0\0\0\x01\0\0\0"s,
         "record data after a header without fields at byte offset 8"},
    };
    for (const auto& c : cases) {
        try {
            TBinaryStreamLexReader reader(c.bytes);
            ReadAll(reader);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
                << c.what << ": " << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("Invalid stream format: ", 0), 0u);
        }
    }
}

TEST(BinaryLexFormatTest, FieldNamesKeepTheirCase) {
    TRecordListLexReader source({"lexkey", "DISPLAYVALUE"}, {{"k", "v"}});
    TBinaryStreamLexReader reader(Write(source));
    EXPECT_EQ(reader.FieldName(0), "lexkey");
    EXPECT_EQ(reader.FieldValueByName("LexKey"), "k");
    EXPECT_EQ(reader.FieldValueByName("DisplayValue"), "v");
    EXPECT_EQ(reader.FieldValueByName("CatalogID"), "");
}

} // namespace
} // namespace lex
