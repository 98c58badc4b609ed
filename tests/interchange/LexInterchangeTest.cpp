#include "interchange/LexInterchange.h"

#include "editor/NodeListLexReader.h"
#include "interchange/InterchangeTest.h"
#include "interchange/PoFormat.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <gmock/gmock.h>

namespace lex {
namespace {

using test::InterchangeTest;
using test::StandardFields;
using test::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// 文件(&F), 打开 in GB2312; Öffnen..., Schließen in code page 1252.
const std::string GbFile = "\xCE\xC4\xBC\xFE(&F)";
const std::string GbOpen = "\xB4\xF2\xBF\xAA";

std::vector<TLexRecord> Lexicon() {
    return {
        {"&File", "1252", "0", "&Datei", ""},
        {"&File", "936", "0", GbFile, ""},
        {"Open...", "1252", "0",
         "\xD6"
         "ffnen...",
         "&File"},
        {"Open...", "936", "0", GbOpen, "&File"},
        {"Close", "1252", "0",
         "Schlie\xDF"
         "en",
         "&file"}, // the parent's key in other case
        {"Untranslated", "936", "0", "x", ""},
        {"Ctl", "1252", "0", "a\r\nb\x01\"q\" <&>", "&File"},
        {"Orphan", "1252", "0", "o", "Created"},
    };
}

class LexInterchangeTest : public InterchangeTest {
protected:
    std::string Saved(TLexDocument& Doc, std::vector<TLexBand*> Filter = {}) {
        const std::string path = dir / "saved.lxc";
        WriteCopy(Doc, false, Filter, {}, path);
        return ReadFileBytes(path);
    }
    TLexBand* Band(TLexDocument& Doc, const std::string& CodePage) {
        return LanguageColumn(Doc, CodePage, "0").Band;
    }

    TempDir dir;
};

TEST_F(LexInterchangeTest, ALanguageComesBackByteForByteThroughEveryFormat) {
    TLexDocument original;
    Load(original, StandardFields, Lexicon());
    const std::string whole = Saved(original);
    for (const std::string codePage : {"1252", "936"}) {
        const std::string language = Saved(original, {Band(original, codePage)});
        for (const char* extension : {".po", ".ts", ".xlf"}) {
            SCOPED_TRACE(codePage + extension);
            const std::string file = dir / ("out" + std::string(extension));
            ExportLanguageToFile(original, LanguageColumn(original, codePage, "0"), file);

            TLexDocument fresh;
            EXPECT_TRUE(ImportLanguageFromFile(fresh, file, codePage, "0", {}).empty());
            EXPECT_EQ(Saved(fresh), language);

            EXPECT_TRUE(ImportLanguageFromFile(original, file, codePage, "0", {}).empty());
            EXPECT_EQ(Saved(original), whole);
        }
    }
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(LexInterchangeTest, AnImportAddsKeysAsksBeforeOverwritingAndReportsWhatDoesNotFit) {
    TLexDocument doc;
    Load(doc, StandardFields, Lexicon());
    TTranslationCatalog catalog;
    const auto unit = [&](std::u16string Key, std::vector<std::u16string> Values,
                          std::u16string Parent, int Line) {
        TTranslationUnit& u = catalog.Units.emplace_back();
        u.Key = std::move(Key);
        u.Values = std::move(Values);
        u.ParentKey = std::move(Parent);
        u.Line = Line;
    };
    unit(u"&File", {u"&Fichier"}, u"", 3);           // differs: asked, answered No
    unit(u"open...", {u"Ouvrir..."}, u"", 7);        // the merge's match ignores case: asked, Yes
    unit(u"Close", {u""}, u"", 9);                   // empty: never clears
    unit(u"New", {u"Nouveau \u4e00"}, u"&File", 11); // 1252 cannot hold it
    unit(u"Save", {u"Enregistrer"}, u"&File", 13);   // a new key under its parent
    unit(u"Later", {}, u"Save", 15);                 // a new key without a value
    overwrites = {TOverwriteAnswer::Keep, TOverwriteAnswer::Overwrite};

    const std::vector<TImportProblem> problems =
        ImportCatalog(doc, catalog, "1252", "0", Answerer(doc));

    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].Key, "New");
    EXPECT_EQ(problems[0].Line, 11);
    EXPECT_THAT(problems[0].Message, HasSubstr("U+4E00"));
    EXPECT_EQ(DescribeProblem("f.po", problems[0]).substr(0, 13), "f.po:11: \"New");
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(Outline(doc), "&File[1252/0=&Datei 936/0=" + GbFile +
                                "](Close[1252/0=Schlie\xDF"
                                "en] Ctl[1252/0=a\r\nb\x01\"q\" <&>] "
                                "Open...[1252/0=Ouvrir... 936/0=" +
                                GbOpen +
                                "] Save[1252/0=Enregistrer](Later)) Untranslated[936/0=x] "
                                "Created(Orphan[1252/0=o])");
    EXPECT_EQ(doc.FindNodeByKey("New"), nullptr);
    EXPECT_TRUE(doc.Modified());
}

TEST_F(LexInterchangeTest, PluralFormsFillTheSequencesFromTheChosenOne) {
    TLexDocument doc;
    TTranslationCatalog catalog;
    TTranslationUnit& unit = catalog.Units.emplace_back();
    unit.Key = u"%d file";
    unit.Values = {u"%d Datei", u"%d Dateien"};
    ImportCatalog(doc, catalog, "1252", "1", {});
    EXPECT_EQ(Outline(doc), "%d file[1252/1=%d Datei 1252/2=%d Dateien]");
}

TEST_F(LexInterchangeTest, RefusesWhatTheDocumentOrTheConverterLacks) {
    TLexDocument doc;
    Load(doc, StandardFields, Lexicon());
    EXPECT_THROW(
        {
            try {
                LanguageColumn(doc, "950", "0");
            } catch (const Exception& e) {
                EXPECT_STREQ(e.what(), "no language 950");
                throw;
            }
        },
        Exception);
    EXPECT_THROW(LanguageColumn(doc, "1252", "3"), Exception);
    EXPECT_THROW(ImportCatalog(doc, {}, "99999", "0", {}), EConvertError);
    EXPECT_THROW(ExportLanguageToFile(doc, LanguageColumn(doc, "1252", "0"), dir / "x.txt"),
                 Exception);
    EXPECT_THAT(dir.Entries(), ElementsAre());
}

TEST_F(LexInterchangeTest, AFileThatDoesNotParseNamesItselfAndChangesNothing) {
    TLexDocument doc;
    Load(doc, StandardFields, Lexicon());
    const std::string before = Outline(doc);
    const std::string file = dir / "bad.po";
    WriteFileAtomically(file, [](OutputStream& s) { s.Write("msgid \"a\"\nmsgstr \"b\n"); });
    try {
        ImportLanguageFromFile(doc, file, "1252", "0", {});
        FAIL() << "imported";
    } catch (const EParserError& e) {
        EXPECT_THAT(e.what(), HasSubstr(file + ": "));
        EXPECT_THAT(e.what(), HasSubstr("end-of-line within string on line 3")); // as msgfmt says
    }
    EXPECT_EQ(Outline(doc), before);
}

} // namespace
} // namespace lex
