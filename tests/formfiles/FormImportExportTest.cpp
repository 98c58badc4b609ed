#include "formfiles/BinaryFormText.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "support/DocumentSupport.h"
#include "support/UndoHistory.h"

#include <fstream>
#include <sys/stat.h>

namespace lex {
namespace {

using test::DocumentTest;
using test::StandardFields;
using test::TempDir;

TFormSkipLists DefaultLists() {
    return {TFormSkipList(DefaultSkipIdents()), TFormSkipList(DefaultSkipClasses())};
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

ino_t Inode(const std::string& Path) {
    struct stat info {};
    stat(Path.c_str(), &info);
    return info.st_ino;
}

const char* const MainForm = R"(object Form1: TForm1
  Caption = 'Main'
  Font.Name = 'Tahoma'
  Hint.ImeName = 'Arial'
  object List: TListBox
    Items.Strings = (
      'one'
      'two' +
        ' more'
      'three')
    Title = 'Main'Label = 'main'
    Empty = ''
  end
  object Memo1: TMemo
    Lines.Strings = (
      'memo line')
    Columns = <
      item
        Title = 'col'
      end>
  end
  Hint = 'after memo'
end
)";

class FormImportTest : public DocumentTest {
protected:
    std::string Import(TLexDocument& Doc, const std::vector<std::string>& Texts,
                       const std::string& CodePage = "") {
        std::vector<std::string> files;
        for (const std::string& text : Texts) {
            files.push_back(dir / ("form" + std::to_string(files.size()) + ".dfm"));
            WriteFile(files.back(), text);
        }
        ImportFormFiles(Doc, files, {CodePage, DefaultLists()});
        return Outline(Doc);
    }
    TempDir dir;
};

TEST_F(FormImportTest, EveryNewStringBecomesATopLevelKey) {
    for (const bool caseSensitive : {false, true}) {
        TLexEditorOptions options;
        options.CaseSensitive = caseSensitive;
        TLexDocument doc(options);
        Load(doc, StandardFields, {{"one", "", "", "", ""}});
        SetModified(doc, false);
        const std::string form2 = "object F: TF\n Caption = 'MAIN' + #13'x'\n Hint = 'Second'\nend";
        EXPECT_EQ(Import(doc, {MainForm, form2}),
                  caseSensitive ? "one Main Arial two more three main after memo MAIN\rx Second"
                                : "one Main Arial two more three after memo MAIN\rx Second");
        EXPECT_EQ(doc.NodeCount(), caseSensitive ? 9 : 8);
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(doc.Tree().LastNode()->ImageIndex, 34);
    }
}

TEST_F(FormImportTest, ValuesOfALanguageGetKeysTheEditorLacks) {
    TLexDocument doc;
    doc.AddDefaultLanguages();
    Load(doc, StandardFields,
         {{"lexkey1", "1252", "0", "Old", ""},
          {"LexKey3", "", "", "", ""},
          {"Lone", "", "", "", ""}});
    EXPECT_EQ(Import(doc, {"object F: TF\n A = 'old'\n B = 'New'\n C = 'Next'\n D = 'Third'\nend"},
                     "1252"),
              "lexkey1[1252/0=Old] LexKey3 Lone LexKey2[1252/0=New] LexKey4[1252/0=Next] "
              "LexKey5[1252/0=Third]");

    // A language the editor lacks comes with the sequence "0".
    TLexDocument other;
    Import(other, {"object F: TF\n A = 'x'\nend"}, "932");
    ASSERT_EQ(other.Tree().BandCount(), 2);
    EXPECT_EQ(Captions(other.Tree().Band(1)), std::vector<std::string>{"0"});
    EXPECT_EQ(Outline(other), "LexKey1[932/0=x]");
}

TEST_F(FormImportTest, AnImportOfManyFilesIsOneStep) {
    TLexDocument doc;
    doc.AddDefaultLanguages();
    test::UndoHistory history(doc);
    Import(doc, {"object F: TF\n A = 'One'\nend", "object G: TG\n B = 'Two'\nend"}, "932");
    ASSERT_EQ(history.steps.size(), 1u);
    history.Undo();
    EXPECT_EQ(Outline(doc), "");
    EXPECT_EQ(doc.Tree().BandCount(), 4);
    EXPECT_EQ(doc.NodeCount(), 0);
    history.Redo();
    EXPECT_EQ(Outline(doc), "LexKey1[932/0=One] LexKey2[932/0=Two]");
}

TEST_F(FormImportTest, ABandWithoutSequencesGetsOne) {
    TLexDocument doc;
    TLexBand* band = doc.AddLanguage("1252");
    doc.DeleteSequenceColumn(band->Column(0));
    EXPECT_EQ(Import(doc, {"object F: TF\n A = 'x'\nend"}, "1252"), "LexKey1[1252/0=x]");
    EXPECT_EQ(doc.Tree().BandCount(), 2);
}

TEST_F(FormImportTest, AFailingFileNamesItselfAndKeepsWhatCameBefore) {
    TLexDocument doc;
    const std::string good = dir / "good.dfm", bad = dir / "bad.dfm";
    WriteFile(good, "object F: TF\n A = 'kept'\nend");
    WriteFile(bad, "object F: TF\n\n A = 'open\nend");
    try {
        ImportFormFiles(doc, {good, bad, dir / "never.dfm"}, {"", DefaultLists()});
        ADD_FAILURE();
    } catch (const EParserError& e) {
        EXPECT_EQ(e.what(), "Form file \"" + bad + "\": Invalid string constant on line 3");
    }
    EXPECT_EQ(Outline(doc), "kept");
    EXPECT_THROW(ImportFormFiles(doc, {dir / "missing.dfm"}, {"", DefaultLists()}), EFOpenError);
}

TEST(QuoteFormString, TheTokenizerReadsBackTheSameKey) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"LexKey1", "'LexKey1'"},   {"it's", "'it''s'"},     {"", "''"},
        {"a\r\nb", "'a'#13#10'b'"}, {"\tx\x1f", "#9'x'#31"}, {"\xB4\xF2#", "'\xB4\xF2#'"},
    };
    for (const auto& [key, quoted] : cases) {
        EXPECT_EQ(QuoteFormString(key), quoted);
        TFormTextParser parser(quoted);
        ASSERT_EQ(parser.Token(), TFormToken::String) << quoted;
        EXPECT_EQ(parser.TokenBytes(), key);
        EXPECT_EQ(parser.NextToken(), TFormToken::EndOfText) << quoted;
    }
}

class FormExportTest : public DocumentTest {
protected:
    FormExportTest() {
        band = doc.AddLanguage("1252");
        doc.AddSequenceColumn(band, "1");
        Load(doc, StandardFields,
             {{"KMain", "1252", "0", "Main", ""},
              {"KTwo", "1252", "1", "two more", ""},
              {"K'q", "1252", "0", "one", ""},
              {"KCtl\r\n", "1252", "0", "three", ""},
              {"KMemo", "1252", "0", "memo line", ""},
              {"KSame", "1252", "0", "Tahoma", ""},
              {"KEmpty", "", "", "", ""}});
        band = doc.Tree().Band(1);
    }
    std::string Export(std::string_view Text, int* Replaced = nullptr) {
        int replaced = 0;
        std::string edited =
            TFormKeyExport(doc, *band, DefaultLists()).ExportKeysToFormText(Text, replaced);
        if (Replaced) *Replaced = replaced;
        return edited;
    }
    TLexDocument doc;
    TLexBand* band = nullptr;
    TempDir dir;
};

TEST_F(FormExportTest, ValuesBecomeKeysAndTheLayoutStays) {
    int replaced = 0;
    EXPECT_EQ(Export(MainForm, &replaced), R"(object Form1: TForm1
  Caption = 'KMain'
  Font.Name = 'Tahoma'
  Hint.ImeName = 'Arial'
  object List: TListBox
    Items.Strings = (
      'K''q'
      'KTwo'
      'KCtl'#13#10)
    Title = 'KMain'Label = 'KMain'
    Empty = ''
  end
  object Memo1: TMemo
    Lines.Strings = (
      'memo line')
    Columns = <
      item
        Title = 'col'
      end>
  end
  Hint = 'after memo'
end
)");
    EXPECT_EQ(replaced, 6);
}

TEST_F(FormExportTest, NeighboursOnOneLineStaySeparate) {
    EXPECT_EQ(Export("object A: TB\n L = ('one' 'Main''x' #9'three')\nend"),
              "object A: TB\n L = ('K''q' 'Main''x' #9'three')\nend");
    EXPECT_EQ(Export("object A: TB\n L = ('one''Main'\n'three')end"),
              "object A: TB\n L = ('one''Main'\n'KCtl'#13#10)end");
    EXPECT_EQ(Export("object A: TB\n L = ('one'#9'Main')\nend"),
              "object A: TB\n L = ('one'#9'Main')\nend");
    EXPECT_EQ(Export("object A: TB\n L = 'three'12\nend"),
              "object A: TB\n L = 'KCtl'#13#10 12\nend");
    // What the tokenizer reads back is the key, token for token.
    const std::string edited = Export("object A: TB\n L = ('one' 'Main')\nend");
    std::vector<std::string> strings;
    WalkFormText(edited, {}, [&](const TFormValue& Value, const TFormTextParser&) {
        strings.push_back(Value.Text);
    });
    EXPECT_EQ(strings, (std::vector<std::string>{"K'q", "KMain"}));
}

TEST_F(FormExportTest, FilesAreRewrittenAsTextOnlyWhenTheyChange) {
    const std::string text = dir / "text.dfm", binary = dir / "binary.dfm",
                      untouched = dir / "untouched.dfm";
    WriteFile(text, MainForm);
    WriteFile(untouched, "object A: TB\n X = 'nothing'\nend\n");
    std::filesystem::copy_file(std::string(LEX_TEST_DATA) + "/forms/binary_resource.dfm", binary);
    const ino_t untouchedInode = Inode(untouched);
    EXPECT_EQ(ExportKeysToFormFiles(doc, *band, {text, binary, untouched}, DefaultLists()), 6);
    EXPECT_EQ(ReadFileBytes(text), Export(MainForm));
    EXPECT_EQ(ReadFileBytes(binary).substr(0, 20), "object Form1: TForm1");
    EXPECT_EQ(Inode(untouched), untouchedInode);
}

TEST_F(FormExportTest, AnOutputFolderGetsEveryFormAndTheOriginalsStay) {
    std::filesystem::create_directory(dir / "forms");
    const std::string text = dir / "forms/text.dfm", binary = dir / "forms/binary.dfm",
                      untouched = dir / "forms/untouched.dfm", out = dir / "out/new";
    const std::string untouchedText = "object A: TB\n X = 'nothing'\nend\n";
    WriteFile(text, MainForm);
    WriteFile(untouched, untouchedText);
    std::filesystem::copy_file(std::string(LEX_TEST_DATA) + "/forms/binary_resource.dfm", binary);
    const std::string binaryData = ReadFileBytes(binary);
    EXPECT_EQ(ExportKeysToFormFiles(doc, *band, {text, binary, untouched}, DefaultLists(), out), 6);
    EXPECT_EQ(ReadFileBytes(out + "/text.dfm"), Export(MainForm));
    EXPECT_EQ(ReadFileBytes(out + "/binary.dfm"), Export(FormDataToText(binaryData)));
    EXPECT_EQ(ReadFileBytes(out + "/untouched.dfm"), untouchedText);
    EXPECT_EQ(ReadFileBytes(text), MainForm);
    EXPECT_EQ(ReadFileBytes(binary), binaryData);

    // The files' own folder is an export in place.
    const ino_t untouchedInode = Inode(untouched);
    ExportKeysToFormFiles(doc, *band, {text, untouched}, DefaultLists(), dir / "forms/.");
    EXPECT_EQ(ReadFileBytes(text), Export(MainForm));
    EXPECT_EQ(Inode(untouched), untouchedInode);

    // Two forms of one name would overwrite each other: nothing is written.
    WriteFile(dir / "text.dfm", MainForm);
    try {
        ExportKeysToFormFiles(doc, *band, {binary, text, dir / "text.dfm"}, DefaultLists(),
                              dir / "other");
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Form files \"" + text + "\" and \"" +
                                             std::string(dir / "text.dfm") +
                                             "\" would both be written to \"" +
                                             std::string(dir / "other/text.dfm") + "\"");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "other"));

    // A folder that cannot be made is named.
    try {
        ExportKeysToFormFiles(doc, *band, {text}, DefaultLists(), dir / "forms/text.dfm/sub");
        ADD_FAILURE();
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create folder \"" +
                                                      std::string(dir / "forms/text.dfm/sub")))
            << e.what();
    }
}

TEST_F(FormExportTest, AFailingFileStaysAsItWasAndEarlierOnesStayRewritten) {
    const std::string first = dir / "first.dfm", bad = dir / "bad.dfm";
    const std::string badText = "object A: TB\n X = 'Main'\n Y = 'open\nend";
    WriteFile(first, MainForm);
    WriteFile(bad, badText);
    EXPECT_THROW(ExportKeysToFormFiles(doc, *band, {first, bad}, DefaultLists()), EParserError);
    EXPECT_EQ(ReadFileBytes(first), Export(MainForm));
    EXPECT_EQ(ReadFileBytes(bad), badText);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"bad.dfm", "first.dfm"}));
}

} // namespace
} // namespace lex
