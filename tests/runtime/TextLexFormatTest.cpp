#include "runtime/TextLexFormat.h"

#include "platform/Exceptions.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

using namespace std::string_literals;
using test::ReadAll;
using test::StandardFields;

std::string Escape(TLexEscaper escaper, std::string_view value) {
    std::string out(MaxEscapedSize(value.size()), '\0');
    out.resize(static_cast<size_t>(escaper(value, '"', out.data()) - out.data()));
    return out;
}

std::string Decode(TLexDecoder decoder, std::string_view raw) {
    std::string out = "stale";
    decoder(raw, '"', out);
    return out;
}

std::string Write(ILexReader& reader, TLexEscaper escaper) {
    std::string bytes;
    StringOutputStream stream(bytes);
    WriteTextLex(reader, stream, escaper, ',', '"');
    return bytes;
}

struct Format {
    const char* name;
    TLexEscaper escaper;
    std::unique_ptr<ILexReader> (*read)(std::string);
};

const Format Formats[] = {
    {"CSV", EscapeCSV,
     [](std::string s) -> std::unique_ptr<ILexReader> {
         return std::make_unique<TTextCSVStreamLexReader>(std::move(s));
     }},
    {"DFM", EscapeDFM,
     [](std::string s) -> std::unique_ptr<ILexReader> {
         return std::make_unique<TTextDFMStreamLexReader>(std::move(s));
     }},
};

TEST(TextLexFormatTest, WritesTheWorkedExampleInBothFormats) {
    for (const Format& format : Formats) {
        TRecordListLexReader source(StandardFields,
                                    {{"&File", "1252", "0", "Datei", std::nullopt}});
        EXPECT_EQ(Write(source, format.escaper),
                  "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
                  "\"&File\",\"1252\",\"0\",\"Datei\",,\r\n")
            << format.name;
    }
}

TEST(TextLexFormatTest, EncodesValues) {
    const struct {
        std::string value;
        const char* csv;
        const char* dfm;
    } cases[] = {
        {"Data modified,\r\nSave?", "\"Data modified,%c%nSave?\"",
         "\"Data modified,\"#13#10\"Save?\""},
        {"\"", "\"\"\"\"", "\"\"\"\""},
        {"\r\n", "\"%c%n\"", "#13#10"},
        {"", "\"\"", "\"\""},
        {"100%\0"s, "\"100%%%0\"", "\"100%\"#0"},
        {"\xB9\xFA", "\"\xB9\xFA\"", "\"\xB9\xFA\""},
        {"\x01x\x1F", "\"\x01x\x1F\"", "#1\"x\"#31"},
        {"a\"bcdefghijklmnop\"\x01\"", "\"a\"\"bcdefghijklmnop\"\"\x01\"\"\"",
         "\"a\"\"bcdefghijklmnop\"\"\"#1\"\"\"\""},
        {"longer than eight bytes\r\n%", "\"longer than eight bytes%c%n%%\"",
         "\"longer than eight bytes\"#13#10\"%\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Escape(EscapeCSV, c.value), c.csv);
        EXPECT_EQ(Escape(EscapeDFM, c.value), c.dfm);
    }
}

TEST(TextLexFormatTest, DecodesRawFields) {
    const struct {
        TLexDecoder decoder;
        const char* raw;
        std::string value;
    } cases[] = {
        {DecodeCSV, "\"ab\"", "ab"},
        {DecodeCSV, "ab", "ab"},
        {DecodeCSV, "\"\"", ""},
        {DecodeCSV, "\"\"\"\"", "\""},       // a lone quote reads back unchanged
        {DecodeCSV, "\"\"\"\"\"\"", "\"\""}, // and so do two
        {DecodeCSV, "\"a\"\"b\"", "a\"b"},
        {DecodeCSV, "\"%%%0%c%n\"", "%\0\r\n"s},
        {DecodeCSV, "\"x%", "x"},       // a trailing % is dropped
        {DecodeCSV, "\"a%zb\"", "azb"}, // an unknown pair keeps its second byte
        {DecodeDFM, "#13#10", "\r\n"},
        {DecodeDFM, "\"a#13\"", "a#13"},
        {DecodeDFM, "\"a\"#13#10\"b\"", "a\r\nb"},
        {DecodeDFM, "\"\"", ""},
        {DecodeDFM, "\"\"\"\"", "\""},
        {DecodeDFM, "#321", "A"}, // modulo 256
        {DecodeDFM, "#0000065", "A"},
        {DecodeDFM, "plain", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.decoder, c.raw), c.value) << c.raw;
}

TEST(TextLexFormatTest, BadNumbersInFormNotationAreConversionErrors) {
    const struct {
        const char* raw;
        const char* message;
    } cases[] = {
        {"#x", "'' is not a valid integer value"},
        {"\"a\"#", "'' is not a valid integer value"},
        {"#99999999999", "'99999999999' is not a valid integer value"},
        {"#2147483648", "'2147483648' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        try {
            Decode(DecodeDFM, c.raw);
            ADD_FAILURE() << c.raw << ": no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(Decode(DecodeDFM, "#2147483647"), "\xFF");
    EXPECT_THROW(TTextDFMStreamLexReader("\"LexKey\",\r\n#,\r\n"), EConvertError);
}

TEST(TextLexFormatTest, EveryValueAndNullSurvivesARoundTrip) {
    for (const Format& format : Formats) {
        auto source = test::AwkwardLexicon();
        const auto reader = format.read(Write(source, format.escaper));
        EXPECT_EQ(ReadAll(*reader), test::AwkwardRecords()) << format.name;
        EXPECT_EQ(reader->RecordCount(), static_cast<int>(test::AwkwardRecords().size()));
    }
}

TEST(TextLexFormatTest, HeaderAndCounting) {
    TTextCSVStreamLexReader empty("");
    EXPECT_EQ(empty.FieldCount(), 0);
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.Eof());
    empty.First();
    EXPECT_TRUE(empty.Eof());

    const std::string header =
        "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n";
    TTextCSVStreamLexReader headerOnly(header);
    EXPECT_EQ(headerOnly.FieldCount(), 5);
    EXPECT_EQ(headerOnly.RecordCount(), 0);
    EXPECT_TRUE(headerOnly.Eof());

    const std::string lines = header + "\"a\",\"1\",\"0\",\"x\",,\r\n\"b\",\"1\",\"0\",\"y\",,";
    TTextCSVStreamLexReader unterminated(lines);
    EXPECT_EQ(unterminated.RecordCount(), 1);
    EXPECT_EQ(ReadAll(unterminated).size(), 2u); // the last line is still delivered
    EXPECT_EQ(TTextCSVStreamLexReader(lines + "\r\n").RecordCount(), 2);
}

TEST(TextLexFormatTest, MalformedLinesReadAsTheLayoutImplies) {
    // None of these follows the layout. Each is read as the layout implies,
    // the same in both formats, and never outside its buffer: the first byte
    // of a line is taken for the LF, the byte after the last field for the
    // CR (unless the header ends in LF alone: then every line does), and only
    // separators end fields.
    const struct {
        std::string input;
        std::vector<std::string> fields;
        int announced; // RecordCount(): line ends outside quotes, less the header's
        std::vector<TLexRecord> records;
    } cases[] = {
        {"\"LexKey\",\"CodePage\"", {"LexKey", "CodePage"}, 0, {}},      // header without line end
        {"a,b,\n1,2,\n3,4,\n", {"a", "b"}, 2, {{"1", "2"}, {"3", "4"}}}, // LF line ends
        {"a,b,\n1,2,\r\n3,4,\n", {"a", "b"}, 2, {{"1", "2"}, {"\n3", "4"}}}, // then a CR LF
        // bare CR: each line's first byte is taken for the LF
        {"a,b,\r1,2,\r3,4,\r", {"a", "b"}, 2, {{std::nullopt, "2"}, {std::nullopt, "4"}}},
        {"a,b,\r\n1,\r\n", {"a", "b"}, 1, {{"1", "\r\n"}}},                  // missing field
        {"a,b,\r\n1,2,3,4,5,\r\n", {"a", "b"}, 1, {{"1", "2"}, {"4", "5"}}}, // extra fields
        {"a,b,\r\n\"open quote,2,\r\n", {"a", "b"}, 0, {{"open quote,2,\r\n", std::nullopt}}},
        {"a,\r\n\r\n\r\n", {"a"}, 2, {{"\r\n\r\n"}}}, // blank lines
        {"\"", {""}, 0, {}},                          // a lone quote
        {",", {""}, 0, {}},
        {"\r\n", {"\r\n"}, 0, {}},
        {"\r", {"\r"}, 0, {}},
    };
    for (const auto& c : cases) {
        for (const Format& format : Formats) {
            const auto reader = format.read(c.input);
            std::vector<std::string> fields;
            for (int i = 0; i < reader->FieldCount(); ++i)
                fields.emplace_back(reader->FieldName(i));
            EXPECT_EQ(fields, c.fields) << format.name << " " << c.input;
            EXPECT_EQ(reader->RecordCount(), c.announced) << format.name << " " << c.input;
            EXPECT_EQ(ReadAll(*reader), c.records) << format.name << " " << c.input;
        }
    }
}

} // namespace
} // namespace lex
