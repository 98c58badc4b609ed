#include "runtime/LexFormats.h"

#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexFormat.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

TEST(LexFormatsTest, ExtensionPicksTheFormat) {
    const std::pair<const char*, std::string_view> cases[] = {
        {"a.lxb", LumoBinaryID},      {"A.LXB", LumoBinaryID},          {".lxb", LumoBinaryID},
        {"a.lxd", LumoTextDFMID},     {"dir.lxb/a.LxD", LumoTextDFMID}, {"a.lxc", LumoTextCSVID},
        {"a.LNG", LumoTextCSVID},     {"a.txt", LumoTextCSVID},         {"lxb", LumoTextCSVID},
        {"dir.lxb/a", LumoTextCSVID}, {"a.lxb.bak", LumoTextCSVID},     {"a.", LumoTextCSVID},
    };
    for (auto [name, readerID] : cases)
        EXPECT_EQ(LexFormatOf(name).ReaderID, readerID) << name;
}

TEST(LexFormatsTest, DialogsListTheFormatsWithTheDefaultFirst) {
    EXPECT_EQ(LexDialogFilter(),
              "All (*.lxc;*.lng;*.lxd;*.lxb)|*.lxc;*.lng;*.lxd;*.lxb|LumoTextCSV (*.lxc;*.lng)|"
              "*.lxc;*.lng|LumoTextDFM (*.lxd)|*.lxd|LumoBinary (*.lxb)|*.lxb|ANY (*.*)|*.*");
    const std::pair<int, const char*> types[] = {{0, nullptr},       {1, nullptr},
                                                 {2, "LumoTextCSV"}, {3, "LumoTextDFM"},
                                                 {4, "LumoBinary"},  {5, nullptr}};
    for (auto [type, readerID] : types) {
        const TLexFormat* format = LexFormatOfFileType(type);
        EXPECT_EQ(format ? format->ReaderID : std::string_view(), readerID ? readerID : "") << type;
    }
}

using LexFormatsRegistryTest = test::RuntimeTest;

TEST_F(LexFormatsRegistryTest, EveryFormatIsRegisteredWithItsReader) {
    ASSERT_EQ(LexFormats().size(), 3u);
    for (const TLexFormat& format : LexFormats())
        EXPECT_EQ(MultiStreamLexReaderStorage->FindReader(format.ReaderID), format.ReaderClass)
            << format.ReaderID;
    EXPECT_EQ(LexFormatOf("a.lxb").ReaderClass, CreateLexReader<TBinaryStreamLexReader>);
    EXPECT_EQ(LexFormatOf("a.lxd").ReaderClass, CreateLexReader<TTextDFMStreamLexReader>);
    EXPECT_EQ(LexFormatOf("a.lxc").ReaderClass, CreateLexReader<TTextCSVStreamLexReader>);
}

} // namespace
} // namespace lex
