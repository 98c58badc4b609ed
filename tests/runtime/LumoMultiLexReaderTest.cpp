#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexFormat.h"
#include "support/TestSupport.h"

#include <cmath>

namespace lex {
namespace {

using ReaderRegistryTest = test::RuntimeTest;

TEST_F(ReaderRegistryTest, FindsReadersIgnoringCase) {
    const auto csv = MultiStreamLexReaderStorage->FindReader("lumotextcsv");
    ASSERT_NE(csv, nullptr);
    const auto reader = csv("\"LexKey\",\r\n\"k\",\r\n");
    EXPECT_NE(dynamic_cast<TTextCSVStreamLexReader*>(reader.get()), nullptr);
    EXPECT_NE(
        dynamic_cast<TBinaryStreamLexReader*>(
            MultiStreamLexReaderStorage->FindReader("LUMOBINARY")(std::string(8, '\0')).get()),
        nullptr);
    EXPECT_NE(MultiStreamLexReaderStorage->FindReader("LumoTextDFM"), nullptr);
    EXPECT_EQ(MultiStreamLexReaderStorage->FindReader("LumoXML"), nullptr);
}

TEST_F(ReaderRegistryTest, RefusesASecondRegistration) {
    try {
        MultiStreamLexReaderStorage->RegisterReader("lumobinary",
                                                    CreateLexReader<TTextCSVStreamLexReader>);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "dictionary reader \"lumobinary\" already registered!");
    }
    EXPECT_EQ(MultiStreamLexReaderStorage->FindReader("LumoBinary"),
              CreateLexReader<TBinaryStreamLexReader>);
}

TEST(StreamReaderTest, OwnsItsBytesAndMatchesNamesIgnoringCase) {
    std::unique_ptr<ILexReader> reader;
    {
        std::string source = "\"LexKey\",\"DisplayValue\",\r\n\"k1\",\"v1\",\r\n\"k2\",,\r\n";
        reader = std::make_unique<TTextCSVStreamLexReader>(source);
        source.assign(source.size(), 'x');
    }
    EXPECT_EQ(reader->RecNo(), 1);
    EXPECT_EQ(reader->FieldValueByName("lexkey"), "k1");
    EXPECT_EQ(reader->FieldValueByName("Nothing"), "");
    EXPECT_FALSE(reader->IsNullByName("Nothing")); // no field, so no null either
    EXPECT_FALSE(reader->IsBlob(0));
    reader->Next();
    EXPECT_EQ(reader->RecNo(), 2);
    EXPECT_TRUE(reader->IsNullByName("DISPLAYVALUE"));
    reader->Next();
    EXPECT_TRUE(reader->Eof());
    EXPECT_EQ(reader->RecNo(), 2);
    EXPECT_EQ(reader->FieldValue(0), "k2");
}

TEST(StreamReaderTest, FractionIsAlwaysFiniteAndWithinRange) {
    const struct {
        int recNo, recordCount;
        double fraction;
    } cases[] = {{1, 4, 0.25}, {4, 4, 1.0}, {5, 4, 1.0}, {1, 0, 1.0}, {3, -2, 1.0}, {0, 3, 0.0}};
    for (const auto& c : cases) {
        const double f = LexFraction(c.recNo, c.recordCount);
        EXPECT_TRUE(std::isfinite(f));
        EXPECT_DOUBLE_EQ(f, c.fraction) << c.recNo << "/" << c.recordCount;
    }
}

} // namespace
} // namespace lex
