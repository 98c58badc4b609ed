#include "runtime/LexFormats.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/LexFiles.h"
#include "runtime/TextLexFormat.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>

namespace lex {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::ThrowsMessage;
using LexFormatsTest = test::RuntimeTest;

TEST_F(LexFormatsTest, ExtensionPicksTheFormat) {
    const std::pair<const char*, std::string_view> cases[] = {
        {"a.lxb", LumoBinaryID},      {"A.LXB", LumoBinaryID},          {".lxb", LumoBinaryID},
        {"a.lxd", LumoTextDFMID},     {"dir.lxb/a.LxD", LumoTextDFMID}, {"a.lxc", LumoTextCSVID},
        {"a.LNG", LumoTextCSVID},     {"a.txt", LumoTextCSVID},         {"lxb", LumoTextCSVID},
        {"dir.lxb/a", LumoTextCSVID}, {"a.lxb.bak", LumoTextCSVID},     {"a.", LumoTextCSVID},
    };
    for (auto [name, readerID] : cases)
        EXPECT_EQ(LexFormatOf(name).ID, readerID) << name;
}

TEST_F(LexFormatsTest, DialogsListTheFormatsWithTheDefaultFirst) {
    EXPECT_EQ(LexDialogFilter(),
              "All (*.lxc;*.lng;*.lxd;*.lxb)|*.lxc;*.lng;*.lxd;*.lxb|LumoTextCSV (*.lxc;*.lng)|"
              "*.lxc;*.lng|LumoTextDFM (*.lxd)|*.lxd|LumoBinary (*.lxb)|*.lxb|ANY (*.*)|*.*");
    const std::pair<int, const char*> types[] = {{0, nullptr},       {1, nullptr},
                                                 {2, "LumoTextCSV"}, {3, "LumoTextDFM"},
                                                 {4, "LumoBinary"},  {5, nullptr}};
    for (auto [type, readerID] : types) {
        const TLexFormat* format = LexFormatOfFileType(type);
        EXPECT_EQ(format ? format->ID : std::string_view(), readerID ? readerID : "") << type;
    }
}

TEST_F(LexFormatsTest, EveryFormatIsRegisteredWithItsReader) {
    ASSERT_EQ(LexFormats().size(), 3u);
    for (const TLexFormat* format : LexFormats())
        EXPECT_EQ(MultiStreamLexReaderStorage->FindReader(format->ID), format->ReaderClass)
            << format->ID;
    EXPECT_EQ(LexFormatOf("a.lxb").ReaderClass, CreateLexReader<TBinaryStreamLexReader>);
    EXPECT_EQ(LexFormatOf("a.lxd").ReaderClass, CreateLexReader<TTextDFMStreamLexReader>);
    EXPECT_EQ(LexFormatOf("a.lxc").ReaderClass, CreateLexReader<TTextCSVStreamLexReader>);
}

// Binary under an extension of its own: only this entry reads and writes it
// so, the default format would take it as CSV.
const TLexFormat BinaryAgain{{TFileKind::Lexicon, "LumoAgain", "lxa", "LumoAgain", "binary again"},
                             CreateLexReader<TBinaryStreamLexReader>,
                             WriteBinaryLexFile,
                             nullptr};
const TFileFormat Catalogue{TFileKind::Translation, "cat", "cat", "Catalogue", "a translator's"};

// Registered before the reader registry starts, as a library's start-up does.
TEST(FileFormatsTest, AFormatIsOneEntryThatEveryUserFinds) {
    InitializeFileFormats();
    RegisterFileFormat(BinaryAgain);
    RegisterFileFormat(Catalogue);
    const RuntimeModules modules;
    test::TempDir dir;
    auto source = test::AwkwardLexicon();
    WriteLexFile(source, dir / "a.lxa");
    WriteLexFile(source, dir / "a.lxb");
    EXPECT_EQ(ReadFileBytes(dir / "a.lxa"), ReadFileBytes(dir / "a.lxb"));
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "a.lxa")), test::AwkwardRecords());
    EXPECT_EQ(MultiStreamLexReaderStorage->FindReader("lumoagain"), BinaryAgain.ReaderClass);
    EXPECT_THAT(LexDialogFilter(), HasSubstr("|LumoAgain (*.lxa)|*.lxa|ANY (*.*)|*.*"));
    EXPECT_THAT(LexDialogFilter(), Not(HasSubstr("Catalogue")));
    // Other kinds follow the lexicon types where a dialog asks for them, and
    // never pass for a lexicon.
    const std::vector<TFileDialogType> types = FileDialogTypes({TFileKind::Translation});
    EXPECT_EQ(types.back().Format, &Catalogue);
    EXPECT_EQ(types[types.size() - 2].Caption, "ANY");
    EXPECT_EQ(&LexFormatOf("a.cat"), &DefaultLexFormat());
    EXPECT_EQ(FileFormatOf(TFileKind::Translation, "A.CAT"), &Catalogue);
}

TEST_F(LexFormatsTest, AKindHasOneFormatOfAnID) {
    const size_t count = FileFormats().size();
    const TFileFormat clash{TFileKind::Lexicon, "lumobinary", "bin", "", ""};
    EXPECT_THAT(
        [&] { RegisterFileFormat(clash); },
        ThrowsMessage<Exception>(HasSubstr("file format \"lumobinary\" already registered!")));
    RegisterFileFormat(DefaultLexFormat()); // registered already: nothing changes
    EXPECT_EQ(FileFormats().size(), count);
    const TFileFormat otherKind{TFileKind::Translation, "LumoBinary", "bin", "", ""};
    RegisterFileFormat(otherKind);
    EXPECT_EQ(FindFileFormat(TFileKind::Translation, "lumoBINARY"), &otherKind);
    EXPECT_EQ(FindFileFormat(TFileKind::Lexicon, "lumoBINARY"), LexFormatOfReader(LumoBinaryID));
}

TEST(FileFormatsTest, NoFileIsNamedBeforeTheStartUp) {
    EXPECT_THROW(LexFormatOf("a.lxb"), Exception);
    EXPECT_THROW(RegisterFileFormat(Catalogue), Exception);
}

} // namespace
} // namespace lex
