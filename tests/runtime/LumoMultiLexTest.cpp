#include "runtime/LumoMultiLex.h"

#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexFormat.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

using test::StandardFields;

std::string BinaryLexicon(std::vector<std::string> fields, std::vector<TLexRecord> records,
                          std::optional<int> announced = std::nullopt) {
    TRecordListLexReader source(std::move(fields), std::move(records), announced);
    std::string bytes;
    StringOutputStream stream(bytes);
    WriteBinaryLex(source, stream);
    return bytes;
}

const std::vector<TLexRecord> Menu = {
    {"&File", "936", "0", "\xCE\xC4\xBC\xFE(&F)", ""},
    {"&File", "950", "0", "\xC0\xC9\xAE\xD7(&F)", ""},
    {"Open", "1252", "0", "Offnen", "&File"},
    {"File", "1252", "0", "Datei", ""},
    {"Open", "936", "1", "\xB4\xF2\xBF\xAA", "&File"},
};

class DictionaryTest : public test::RuntimeTest {
protected:
    TLumoMultiStreamLex& NewLexicon(const std::vector<TLexRecord>& records = Menu) {
        auto& lex = *new TLumoMultiStreamLex(&owner);
        lex.LexReaderID = "LumoBinary";
        lex.Dictionary.ReadData(BinaryLexicon(StandardFields, records));
        return lex;
    }
    TComponent owner;
};

TEST_F(DictionaryTest, TranslatesExactlyOrReturnsTheKey) {
    TLumoMultiStreamLex& lex = NewLexicon();
    EXPECT_FALSE(lex.Built());
    const struct {
        const char *key, *codePage, *seqNo, *result;
    } cases[] = {
        {"&File", "936", "0", "\xCE\xC4\xBC\xFE(&F)"},
        {"Open", "936", "1", "\xB4\xF2\xBF\xAA"},
        {"Open", "936", "0", "Open"},   // no fallback to another sequence
        {"&file", "936", "0", "&file"}, // exact case
        {"&File", "0936", "0", "&File"},
        {"&File", "1252", "0", "&File"},
        {"Missing", "936", "0", "Missing"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lex.Translate(c.key, c.codePage, c.seqNo), c.result)
            << c.key << "/" << c.codePage;
    EXPECT_TRUE(lex.Built());
    EXPECT_EQ(lex.TranslateView("Open", "936", "1"), "\xB4\xF2\xBF\xAA");
    EXPECT_EQ(lex.TranslateView("Gone", "936", "1"), "Gone");
    EXPECT_EQ(lex.EntryCount(), 5);
    EXPECT_EQ(lex.BucketCount(), 5);
}

TEST_F(DictionaryTest, BuildEventsFilterAndAnnounce) {
    TLumoMultiStreamLex& lex = NewLexicon();
    std::vector<std::string> events;
    lex.OnBeforeBuildLex = [&](TCustomMultiLex&) { events.push_back("before"); };
    lex.OnAfterBuildLex = [&](TCustomMultiLex&) { events.push_back("after"); };
    lex.OnBuildingLex = [&](TCustomMultiLex&, std::string_view, std::string_view codePage,
                            std::string_view, bool& accept) { accept = codePage == "936"; };
    EXPECT_EQ(lex.Translate("&File", "950", "0"), "&File");
    EXPECT_EQ(lex.Translate("&File", "936", "0"), "\xCE\xC4\xBC\xFE(&F)");
    EXPECT_EQ(lex.EntryCount(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
    lex.ClearLex();
    EXPECT_FALSE(lex.Built());
    lex.Translate("x", "936", "0");
    EXPECT_EQ(events.size(), 4u);
}

TEST_F(DictionaryTest, FailedBuildsStayUnbuiltAndSayWhy) {
    auto expectBuildError = [](TCustomMultiLex& lex, const char* message) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                lex.Translate("k", "1252", "0");
                ADD_FAILURE() << "no error for " << message;
            } catch (const Exception& e) {
                EXPECT_STREQ(e.what(), message);
            }
            EXPECT_FALSE(lex.Built());
        }
    };
    TLumoMultiStreamLex& unknownReader = NewLexicon();
    unknownReader.LexReaderID = "LumoXML";
    expectBuildError(unknownReader, "dictionary reader ID \"LumoXML\" ,not registered!");

    TLumoMultiStreamLex& noDisplay = NewLexicon();
    noDisplay.Dictionary = {};
    noDisplay.Dictionary.ReadData(BinaryLexicon({"LexKey", "CodePage"}, {{"k", "1252"}}));
    expectBuildError(noDisplay, "field \"DisplayValue\" not found!");

    TLumoMultiStreamLex& emptyNames = NewLexicon();
    emptyNames.UseDefaultFields = false;
    expectBuildError(emptyNames, "field \"\" not found!");

    TLumoMultiStreamLex& duplicate = NewLexicon({{"k", "1252", "0", "a"}, {"k", "1252", "0", "b"}});
    expectBuildError(duplicate, "Duplicate hash list entry: k\t1252\t0");

    // Announces nothing but delivers a record: no field to read it through.
    TLumoMultiStreamLex& unannounced = NewLexicon();
    unannounced.Dictionary = {};
    unannounced.Dictionary.ReadData(BinaryLexicon({"Other"}, {{"x"}}, 0));
    expectBuildError(unannounced, "field \"LexKey\" not found!");
}

TEST_F(DictionaryTest, FieldsAreFoundByNameAnywhere) {
    TLumoMultiStreamLex& lex = NewLexicon();
    lex.Dictionary = {};
    lex.Dictionary.ReadData(BinaryLexicon({"codepage", "Text", "Id"}, {{"936", "V", "K"}}));
    lex.UseDefaultFields = false;
    lex.FieldsOption = {"ID", "CodePage", "NoSuchField", "text"};
    EXPECT_EQ(lex.Translate("K", "936", ""), "V");

    TLumoMultiStreamLex& nothing = NewLexicon();
    nothing.Dictionary = {};
    nothing.Dictionary.ReadData(BinaryLexicon({}, {}));
    EXPECT_EQ(nothing.Translate("k", "1", "0"), "k");
    EXPECT_EQ(nothing.BucketCount(), 1);
}

TEST_F(DictionaryTest, ManyMoreRecordsThanAnnouncedStillBuildQuickly) {
    std::vector<TLexRecord> records;
    for (int i = 0; i < 20000; ++i)
        records.push_back({"key" + std::to_string(i), "1252", "0", "v" + std::to_string(i)});
    TLumoMultiStreamLex& lex = NewLexicon();
    lex.Dictionary = {};
    lex.Dictionary.ReadData(BinaryLexicon(StandardFields, records, 0));
    EXPECT_EQ(lex.Translate("key19999", "1252", "0"), "v19999");
    EXPECT_GE(lex.BucketCount(), 20000 / 4);
}

TEST_F(DictionaryTest, BucketsAreBoundedByWhatTheDataHolds) {
    // A header announcing far more records than the bytes can hold sizes
    // the buckets by the bytes, not by the header.
    for (const int announced : {1 << 28, 0x7FFFFFFF}) {
        TLumoMultiStreamLex& lex = NewLexicon();
        lex.Dictionary = {};
        lex.Dictionary.ReadData(
            BinaryLexicon(StandardFields, {{"&File", "1252", "0", "Datei", ""}}, announced));
        EXPECT_EQ(lex.Translate("&File", "1252", "0"), "Datei");
        EXPECT_EQ(lex.BucketCount(), 1) << announced;
    }
    TRecordListLexReader overstated(StandardFields, Menu, 1 << 30);
    TLumoMultiStreamLex& lex = NewLexicon();
    lex.BuildFromReader(overstated);
    EXPECT_EQ(lex.BucketCount(), 5); // as many as the records held
}

TEST_F(DictionaryTest, TranslatesWordByWord) {
    TLumoMultiStreamLex& lex = NewLexicon({{"Open", "1252", "0", "Offnen"},
                                           {"File", "1252", "0", "Datei"},
                                           {"Open", "936", "0", "\xB4\xF2\xBF\xAA"},
                                           {"File", "936", "0", "\xCE\xC4\xBC\xFE"}});
    const struct {
        const char *text, *codePage, *result;
    } cases[] = {
        {"Open File", "1252", "Offnen Datei"},
        {"Open File", "936", "\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE"},
        {"Open File.", "1252", "Offnen Datei."},
        {"Open  File2", "1252", "Offnen  Datei2"},
        {"Open ", "1252", "Offnen "},
        {"", "1252", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lex.TranslateWords(c.text, c.codePage, "0"), c.result) << c.text;
}

TEST_F(DictionaryTest, RegistryNamesAndRenaming) {
    auto* lex0 = new TLumoMultiStreamLex(&owner);
    auto* lex1 = new TLumoMultiStreamLex(&owner);
    auto* lex2 = new TLumoMultiStreamLex(&owner);
    EXPECT_EQ(lex0->LexName(), "Lex0");
    EXPECT_EQ(lex1->LexName(), "Lex1");
    EXPECT_EQ(lex2->LexName(), "Lex2");
    delete lex1;
    auto* again = new TLumoMultiStreamLex(&owner);
    EXPECT_EQ(again->LexName(), "Lex1");

    lex0->SetLexName("Lex_GUI");
    EXPECT_EQ(MultiLexStorage->Find("LEX_gui"), lex0);
    EXPECT_EQ(MultiLexStorage->Find("Lex0"), nullptr);
    for (const char* taken : {"lex2", "LEX_GUI"}) {
        try {
            lex0->SetLexName(taken);
            ADD_FAILURE() << taken;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "lexicon: \"" + std::string(taken) + "\" already exists.");
        }
    }
    lex0->SetLexName("");
    lex0->SetLexName("Lex_GUI");
    EXPECT_EQ(lex0->LexName(), "Lex_GUI");
    ASSERT_EQ(MultiLexStorage->Count(), 3);
    EXPECT_EQ((*MultiLexStorage)[0]->LexName(), "Lex_GUI");
    EXPECT_EQ((*MultiLexStorage)[2]->LexName(), "Lex2");
    EXPECT_EQ(MultiLexStorage->Translate("Nobody", "text", "936", "0"), "text");
}

TEST_F(DictionaryTest, OwnerAndRegistryDestroyTheirComponents) {
    {
        TComponent form;
        new TLumoMultiStreamLex(&form);
        EXPECT_EQ(MultiLexStorage->Count(), 1);
    }
    EXPECT_EQ(MultiLexStorage->Count(), 0);
    new TLumoMultiStreamLex(&owner);
    FinalizeLumoMultiLex(); // takes the component with it, and out of its owner
    EXPECT_EQ(owner.ComponentCount(), 0);
    InitializeLumoMultiLex();
}

TEST(RuntimeModulesTest, ASecondStartUpOrFinalisationChangesNothing) {
    TComponent owner;
    {
        const RuntimeModules modules;
        const TLumoMultiStreamLexReaderStorage* readers = MultiStreamLexReaderStorage.get();
        const TLumoMultiLexStorage* dictionaries = MultiLexStorage.get();
        auto* lex = new TLumoMultiStreamLex(&owner);
        // A component that owns another: both leave the registry as it goes.
        new TLumoMultiStreamLex(lex);
        const RuntimeModules again;
        EXPECT_EQ(MultiStreamLexReaderStorage.get(), readers);
        EXPECT_EQ(MultiLexStorage.get(), dictionaries);
        EXPECT_EQ(MultiLexStorage->Find("Lex0"), lex);
        EXPECT_EQ(MultiLexStorage->Count(), 2);
    } // finalised twice
    EXPECT_EQ(MultiStreamLexReaderStorage, nullptr);
    EXPECT_EQ(MultiLexStorage, nullptr);
    EXPECT_EQ(owner.ComponentCount(), 0);
    const RuntimeModules restarted;
    EXPECT_NE(MultiStreamLexReaderStorage->FindReader(LumoBinaryID), nullptr);
    EXPECT_EQ(MultiLexStorage->Count(), 0);
}

TEST_F(DictionaryTest, MessageBoxesTranslateThenFormat) {
    TLumoMultiStreamLex& lex = NewLexicon(
        {{"Field \"%s\" not found!", "936", "0", "F %s?"}, {"Warning", "936", "0", "W"}});
    lex.SetLexName(GUILexName);
    std::vector<std::string> shown;
    auto previous = SetMessageBoxHook(
        [&](TWindowHandle, const std::string& text, const std::string& caption, unsigned) {
            shown.push_back(caption + "|" + text);
            return IDYES;
        });
    EXPECT_EQ(LexMessageBoxFmt(nullptr, "Field \"%s\" not found!", "Warning", MB_YESNO, "936",
                               {"LexKey"}, {}, "0", GUILexName),
              IDYES);
    LexMessageBoxFmt(nullptr, "100% %s", "Warning", MB_OK, "936", {}, {}, "0", GUILexName);
    LexMessageBox(nullptr, "Warning", "Warning", MB_OK, "1252", "0", "lex_gui");
    EXPECT_EQ(shown, (std::vector<std::string>{"W|F LexKey?", "W|100% %s", "Warning|Warning"}));
    SetMessageBoxHook(std::move(previous));
}

TEST(NextPrimeTest, Values) {
    const std::pair<int, int> cases[] = {{1, 1},  {2, 2},     {4, 5},
                                         {9, 11}, {258, 263}, {1000000, 1000003}};
    for (auto [n, prime] : cases)
        EXPECT_EQ(NextPrime(n), prime) << n;
}

TEST(MultiDictionaryTest, ReadsAtThePositionAndWritesTheRest) {
    TMultiDictionary dictionary;
    dictionary.ReadData("abc");
    dictionary.ReadData("de");
    EXPECT_EQ(dictionary.Stream, "abcde");
    dictionary.Position = 1;
    std::string written;
    StringOutputStream out(written);
    dictionary.WriteData(out);
    EXPECT_EQ(written, "bcde");
}

} // namespace
} // namespace lex
