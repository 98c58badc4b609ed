#include "app/FormLexDM_U.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/LumoMultiLex.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

namespace lex {
namespace {

// The interface texts every part of the tool translates, in lexicon order.
const std::vector<std::string> InterfaceKeys = {
    "Lex Manager",
    "&Arrange",
    "&Cascade",
    "&Copy",
    "&Data",
    "&Edit",
    "&File",
    "&Help",
    "&Minimize All",
    "&Option",
    "&Paste",
    "&Search",
    "&Tile Vertically",
    "&Undo",
    "&View",
    "&Windows",
    "(If select \"Cancel\",don`t ask again,override automatically.)",
    "About...",
    "Add New Language",
    "Add New Language...",
    "Because \"LexKey\" is not case sensitive while loading, or record key violation.",
    "Cancel",
    "CaseSensitive",
    "Clear Table Before Save",
    "Close",
    "Confirm",
    "Content",
    "Continue warning?",
    "Cu&t",
    "Lexicon",
    "Data modified, Save?",
    "Data&Base",
    "DataBase Option:",
    "LexKey",
    "LexKey already exists!",
    "Default Table Schema",
    "Delete Language",
    "Delete Node",
    "Delete Sequence",
    "Editor Dialog",
    "Editor Panel",
    "Editor Simple",
    "Error",
    "Exit",
    "Export Lexicon",
    "Export Languages:",
    "Export Nodes To File...",
    "Export Nodes:",
    "Export Option",
    "Export To File Name:",
    "Export To File...",
    "Field \"%s\" not found!",
    "Find",
    "Find Next",
    "Find Prior",
    "Font",
    "History File",
    "Immediate Edit",
    "Import",
    "Import From DB...",
    "Import From File...",
    "Index",
    "Language",
    "Locate",
    "Minimize",
    "New LexKey",
    "New Dictionary",
    "New Node",
    "New Sequence",
    "New Sub Node",
    "New Value",
    "OK",
    "Old LexKey",
    "Old Value",
    "Open From DB...",
    "Open From File...",
    "Override old value?",
    "Progress:",
    "Restore",
    "Save",
    "Save To DB...",
    "Save To File",
    "Save To File As...",
    "Search",
    "Select a Language:",
    "Select a Table:",
    "Select Table",
    "Show Editor Grid",
    "Sub Nodes:",
    "Tables",
    "Tile &Horizontally",
    "ToolBar DataBase",
    "ToolBar Edit",
    "ToolBar File",
    "ToolBar Menu",
    "ToolBar Search",
    "Total Nodes:",
    "Translate To Big5",
    "Translate To GB",
    "Value Already Exists!",
    "Warning",
    "File \"%s\" already exists. Replace it?",
    "Code page \"%s\" is unknown. Choose one of the list.",
    "&Yes",
    "&No",
    "Keys passed over because other nodes already have them: %s",
    "Table the tool creates in its embedded database:",
    "Convert Chinese by phrases",
    "&New Dictionary",
    "&Open From File...",
    "&Import From File...",
    "&Save",
    "Save To File &As...",
    "&Export To File...",
    "Export Nodes &To File...",
    "&History File",
    "E&xit",
    "&Find",
    "Find &Prior",
    "Find &Next",
    "&Locate",
    "ToolBar &Menu",
    "ToolBar &File",
    "ToolBar &Edit",
    "ToolBar Data&Base",
    "ToolBar &Search",
    "ToolBar &DFM",
    "&Open From DB...",
    "&Import From DB...",
    "&Save To DB...",
    "&New Node",
    "New &Sub Node",
    "&Delete Node",
    "Translate To &GB",
    "Translate To &Big5",
    "&Add New Language...",
    "Delete &Language",
    "Ne&w Sequence",
    "Delete Se&quence",
    "&Import Data From DFM File...",
    "&Export LexKey to DFM File...",
    "G&rab Data From Dictionary...",
    "&Font",
    "Editor &Dialog",
    "Editor &Simple",
    "Editor &Panel",
    "Show Editor &Grid",
    "&Immediate Edit",
    "&CaseSensitive",
    "C&onvert Chinese by phrases",
    "&About...",
    "\"%s\": Data modified, Save?",
    "\"%s\" was changed on disk by another program. Reload it?",
    "\"%s\" was changed on disk by another program since it was read. Yes replaces it, No saves "
    "under another name.",
    "changed on disk",
    "%s is open in another Lex Manager. Open it anyway?",
    "&Check Lexicon",
    "Check Lexicon",
    "Sequence",
    "Rule",
    "Detail",
    "Sequence:",
    "Export Language",
    "Import Translations",
    "These entries were not imported; the rest was: %s",
    "...and %s more",
    "A translator's file takes a whole language: use Export To File.",
    "No problems found.",
    "The editor of these findings has been closed.",
    "Key \"%s\" is no longer in the lexicon.",
    "Language %s is no longer in the lexicon.",
    "&Redo",
    "Edit Cell",
    "Rename Key",
    "Move Node",
    "Grab Data From Dictionary",
    "Delete %s keys?",
    "R&eplace...",
    "Replace...",
    "Replace",
    "Next &Untranslated",
    "Next Untranslated",
    "Previous Un&translated",
    "Previous Untranslated",
    "Untranslated &Only",
    "Untranslated Only",
    "Fi&nd what:",
    "Re&place with:",
    "&Languages:",
    "All Languages",
    "&Match case",
    "&Whole cell",
    "Translated:",
    "\"%s\" was not found.",
    "Passed the end; continued from the beginning.",
    "Passed the beginning; continued from the end.",
    "Nothing is left to translate in %s.",
    "%s replacements made.",
    "Conflict",
    "Someone else changed this entry in the table since you read it.",
    "Key",
    "sequence",
    "Theirs",
    "Yours",
    "(deleted)",
    "Yes: overwrite theirs with yours. No: keep theirs in the editor. Cancel: skip it for now.",
    "The table %s does not exist. Create it with the default columns?",
    "Write Into Folder:",
    "Browse...",
    "New Table:",
    "Import Data From DFM File...",
    "Include Sub Dictory",
    "Import AS",
    "Language Display Value",
    "DFM File",
    "Now Language",
    "Data",
    "Export LexKey to DFM File...",
    "ToolBar DFM",
    "Export",
    "Add File...",
    "Delete",
    "Borland Delphi DFM Files",
    "Grab Data From Dictionary...",
    "Data Source",
    "From File",
    "From DataBase",
    "Skip Ident",
    "Skip Classes",
    "Suggestion : Please Backup DFM Files before Exporting.",
    "Compare Field",
    "&Contents",
    "&Topic Search",
    "&Help on Help"};

// Where the about box's four texts sit among them: two after "About...", one
// after "Lexicon", one after "Minimize" (indexes in the lexicon's key order).
constexpr size_t AboutBoxIndexes[] = {18, 19, 32, 68};
constexpr size_t KeyCount = 238;

std::string EmbeddedBytes() {
    return std::string(reinterpret_cast<const char*>(LexGUIData), LexGUIDataSize);
}

// The records of the embedded block, read back with the binary reader.
std::vector<TLexRecord> EmbeddedRecords() {
    TBinaryStreamLexReader reader(EmbeddedBytes());
    return test::ReadAll(reader);
}

std::vector<std::string> EmbeddedKeys() {
    std::vector<std::string> keys;
    const std::vector<TLexRecord> records = EmbeddedRecords();
    for (size_t i = 0; i < records.size(); i += 2)
        keys.push_back(*records[i][0]);
    return keys;
}

TEST(LexGUIDataTest, HoldsEachKeyInSimplifiedThenTraditionalChinese) {
    TBinaryStreamLexReader reader(EmbeddedBytes());
    ASSERT_EQ(reader.FieldCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(reader.FieldName(i), test::StandardFields[i]);
    EXPECT_EQ(reader.RecordCount(), static_cast<int>(2 * KeyCount));

    const std::vector<TLexRecord> records = test::ReadAll(reader);
    ASSERT_EQ(records.size(), 2 * KeyCount);
    std::set<std::string> keys;
    for (size_t i = 0; i < records.size(); ++i) {
        const TLexRecord& record = records[i];
        const size_t keyIndex = i / 2;
        SCOPED_TRACE("record " + std::to_string(i) + " " + record[0].value_or("(null)"));
        ASSERT_EQ(record.size(), 5u);
        ASSERT_TRUE(record[0] && record[1] && record[2] && record[3] && record[4]);
        EXPECT_EQ(*record[0], *records[i & ~size_t(1)][0]);
        EXPECT_EQ(*record[1], i % 2 == 0 ? "936" : "950");
        EXPECT_EQ(*record[2], "0");
        const bool underRoot = keyIndex >= 1 && keyIndex < KeyCount - 24;
        EXPECT_EQ(*record[4], underRoot ? "Lex Manager" : "");
        keys.insert(*record[0]);
    }
    EXPECT_EQ(keys.size(), KeyCount);
}

TEST(LexGUIDataTest, KeysAreTheInterfaceTextsWithTheAboutBoxInPlace) {
    std::vector<std::string> keys = EmbeddedKeys();
    ASSERT_EQ(keys.size(), KeyCount);
    EXPECT_EQ(keys[17], "About...");
    EXPECT_EQ(keys[31], "Lexicon");
    EXPECT_EQ(keys[67], "Minimize");
    for (size_t index : AboutBoxIndexes) {
        EXPECT_EQ(std::count(InterfaceKeys.begin(), InterfaceKeys.end(), keys[index]), 0)
            << keys[index];
    }
    for (auto it = std::rbegin(AboutBoxIndexes); it != std::rend(AboutBoxIndexes); ++it)
        keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(*it));
    EXPECT_EQ(keys, InterfaceKeys);
}

// Each value must be real Chinese of its code page, and keep what the
// interface relies on: the accelerator letter, "%s" and quotes.
TEST(LexGUIDataTest, ValuesAreChineseAndKeepAcceleratorsPlaceholdersAndQuotes) {
    const auto count = [](std::string_view text, std::string_view part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string_view::npos;
             at = text.find(part, at + part.size()))
            ++n;
        return n;
    };
    for (const TLexRecord& record : EmbeddedRecords()) {
        const std::string &key = *record[0], &value = *record[3];
        const int codePage = std::stoi(*record[1]);
        SCOPED_TRACE(key + " in " + *record[1]);
        EXPECT_TRUE(std::any_of(value.begin(), value.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
        EXPECT_EQ(DecodeText(value, codePage).find(u'\uFFFD'), std::u16string::npos);
        if (codePage == 936) {
            // GB2312 rows only, not the wider GBK the code page also allows.
            for (size_t i = 0; i < value.size(); ++i) {
                const auto lead = static_cast<unsigned char>(value[i]);
                if (lead < 0x80) continue;
                ASSERT_LT(i + 1, value.size());
                const auto trail = static_cast<unsigned char>(value[++i]);
                EXPECT_TRUE(lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE)
                    << "byte " << i;
            }
        }
        const size_t amp = key.find('&');
        if (amp != std::string::npos) {
            const char letter = static_cast<char>(std::toupper(key[amp + 1]));
            EXPECT_NE(value.find(std::string("(&") + letter + ")"), std::string::npos);
        }
        EXPECT_EQ(count(value, "%s"), count(key, "%s"));
        EXPECT_EQ(count(value, "\""), count(key, "\""));
    }
}

class LexDMTest : public test::RuntimeTest {
protected:
    std::unique_ptr<TLexDM> NewLexDM(std::string codePage, std::string seqNo = "0") {
        return std::make_unique<TLexDM>(nullptr, std::move(codePage), std::move(seqNo));
    }
};

TEST_F(LexDMTest, TranslatesIntoTheInterfaceLanguageOnly) {
    const struct {
        const char *codePage, *seqNo;
        size_t entries;
        const char *file, *manager;
    } cases[] = {
        {"936", "0", KeyCount, "\xCE\xC4\xBC\xFE(&F)", "\xB4\xCA\xB5\xE4\xB9\xDC\xC0\xED\xC6\xF7"},
        {"950", "0", KeyCount, "\xC0\xC9\xAE\xD7(&F)", "\xB5\xFC\xA8\xE5\xBA\xDE\xB2\x7A\xBE\xB9"},
        {"1252", "0", 0, "&File", "Lex Manager"},
        {"0936", "0", 0, "&File", "Lex Manager"},       // code pages compare as text
        {"936", "1", KeyCount, "&File", "Lex Manager"}, // no fallback to sequence 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.codePage) + "/" + c.seqNo);
        const auto dm = NewLexDM(c.codePage, c.seqNo);
        EXPECT_EQ(dm->TranslateGUI("&File"), c.file);
        EXPECT_EQ(dm->TranslateGUI("Lex Manager"), c.manager);
        EXPECT_EQ(dm->TranslateGUI("C:\\Lexicons\\Menu.lxb"), "C:\\Lexicons\\Menu.lxb");
        EXPECT_EQ(dm->TranslateGUI("&file"), "&file");
        EXPECT_EQ(static_cast<size_t>(dm->LumoMultiStreamLex_GUI->EntryCount()), c.entries);
        // The buckets follow the records the lexicon announces, not those accepted.
        EXPECT_EQ(dm->LumoMultiStreamLex_GUI->BucketCount(),
                  NextPrime(static_cast<int>(2 * KeyCount)));
    }
}

TEST_F(LexDMTest, EveryKeyTranslatesToItsOwnRecord) {
    const std::vector<TLexRecord> records = EmbeddedRecords();
    for (const char* codePage : {"936", "950"}) {
        const auto dm = NewLexDM(codePage);
        for (const TLexRecord& record : records) {
            if (*record[1] != codePage) continue;
            EXPECT_EQ(dm->TranslateGUI(*record[0]), *record[3]) << *record[0] << " " << codePage;
        }
    }
}

TEST_F(LexDMTest, BuildsOnceAndThenReleasesTheEmbeddedBytes) {
    const auto dm = NewLexDM("936");
    TLumoMultiStreamLex& lex = *dm->LumoMultiStreamLex_GUI;
    EXPECT_FALSE(lex.Built());
    EXPECT_EQ(lex.Dictionary.Stream, EmbeddedBytes());

    EXPECT_EQ(dm->TranslateGUI("&File"), "\xCE\xC4\xBC\xFE(&F)");
    EXPECT_TRUE(lex.Built());
    EXPECT_TRUE(lex.Dictionary.Stream.empty());
    EXPECT_EQ(lex.Dictionary.Position, 0u);
    // A rebuild from the emptied stream would fail; the entries answer instead.
    EXPECT_EQ(dm->TranslateGUI("OK"), "\xC8\xB7\xB6\xA8");
}

TEST_F(LexDMTest, RegistersLexGUIForTheWholeApplication) {
    TComponent application;
    auto* dm = new TLexDM(&application, "936", "0");
    EXPECT_EQ(LexDM, dm);
    EXPECT_EQ(dm->LumoMultiStreamLex_GUI->Owner(), dm);
    EXPECT_EQ(dm->LumoMultiStreamLex_GUI->LexReaderID, "LumoBinary");
    EXPECT_EQ(MultiLexStorage->Find("lex_gui"), dm->LumoMultiStreamLex_GUI);
    // The translated message boxes reach it by name.
    EXPECT_EQ(MultiLexStorage->Translate("Lex_GUI", "&File", "936", "0"), "\xCE\xC4\xBC\xFE(&F)");

    EXPECT_THROW(NewLexDM("950"), Exception); // one "Lex_GUI" per application
    EXPECT_EQ(LexDM, dm);
    EXPECT_EQ(MultiLexStorage->Count(), 1);

    delete dm;
    EXPECT_EQ(LexDM, nullptr);
    EXPECT_EQ(MultiLexStorage->Find("Lex_GUI"), nullptr);
    EXPECT_EQ(application.ComponentCount(), 0);
}

} // namespace
} // namespace lex
