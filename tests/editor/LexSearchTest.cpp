#include "editor/LexSearch.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "support/DocumentSupport.h"
#include "support/UndoHistory.h"

namespace lex {
namespace {

using test::StandardFields;

class SearchTest : public test::DocumentTest {
protected:
    SearchTest() {
        Load(doc, StandardFields,
             {{"&File", "936", "0", "File"},
              {"&File", "950", "0", "file"},
              {"&Open", "936", "0", "fichier"},
              {"Child", "936", "0", "a file", "&Open"},
              {"Other", "936", "0", "x"}});
    }
    // The current hit as "key:column index".
    std::string Current() {
        return std::string(doc.Key(doc.Tree().FocusedNode())) + ":" +
               std::to_string(doc.Tree().FocusedColumn());
    }
    TLexDocument doc;
};

TEST_F(SearchTest, FindStepsThroughCellsInTreeOrderAndGoesRound) {
    for (const char16_t* text : {u"file", u"FILE"}) {
        Find(doc, text);
        ASSERT_EQ(doc.Hits().Nodes().size(), 2u);
        EXPECT_EQ(doc.Hits().Nodes()[0].Columns.size(), 3u);
        EXPECT_EQ(Current(), "&File:0");
    }
    std::vector<std::string> visited;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(FindNext(doc));
        visited.push_back(Current());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"&File:1", "&File:2", "Child:1"}));
    // Past the last cell to the first, and back past the first to the last.
    EXPECT_TRUE(FindNext(doc));
    EXPECT_EQ(Current(), "&File:0");
    EXPECT_TRUE(FindPrior(doc));
    EXPECT_EQ(Current(), "Child:1");
    EXPECT_FALSE(FindPrior(doc));
    EXPECT_FALSE(FindPrior(doc));
    EXPECT_EQ(Current(), "&File:1");
    EXPECT_EQ(doc.Tree().SelectionCount(), 1);

    Find(doc, u"Fil");
    EXPECT_EQ(doc.Hits().Nodes().size(), 2u);
    Find(doc, u"");
    EXPECT_TRUE(doc.Hits().Nodes().empty());
    EXPECT_FALSE(FindNext(doc));
}

TEST_F(SearchTest, LocateMatchesWholeTextsIgnoringCase) {
    EXPECT_TRUE(Locate(doc, u"&file"));
    EXPECT_EQ(Current(), "&File:0");
    EXPECT_TRUE(Locate(doc, u"A FILE"));
    EXPECT_EQ(Current(), "Child:1");
    EXPECT_FALSE(Locate(doc, u"Fil"));
}

TEST_F(SearchTest, HitsFollowDeletions) {
    Find(doc, u"i");
    ASSERT_EQ(doc.Hits().Nodes().size(), 3u); // &File (3 columns), &Open, Child
    FindNext(doc);
    FindNext(doc);
    FindNext(doc); // &Open, column 0
    ASSERT_EQ(doc.Hits().Index(), 1);
    // Deleting &Open takes Child's hit too; the previous hit becomes
    // current, at its last column.
    doc.DeleteNode(doc.FindNodeByKey("&Open"));
    EXPECT_EQ(doc.Hits().Nodes().size(), 1u);
    EXPECT_EQ(doc.Hits().Index(), 0);
    EXPECT_EQ(doc.Hits().Column(), 2);

    TLexDocument fresh;
    Load(fresh, StandardFields, {{"&File", "936", "0", "File"}, {"&Open", "936", "0", "fichier"}});
    Find(fresh, u"i");
    fresh.DeleteNode(fresh.FindNodeByKey("&File")); // the first hit: the next becomes current
    EXPECT_EQ(fresh.Hits().Index(), 0);
    EXPECT_EQ(fresh.Hits().Column(), 0);
    ASSERT_EQ(fresh.Hits().Nodes().size(), 1u);
    EXPECT_EQ(fresh.Hits().Nodes()[0].Node, fresh.FindNodeByKey("&Open"));
}

TEST_F(SearchTest, HitsFollowDeletedColumns) {
    Find(doc, u"file");
    FindNext(doc); // &File, its 936 column
    doc.DeleteSequenceColumn(doc.Band936()->Column(0));
    // The current column went: the position steps back to the key column.
    ASSERT_EQ(doc.Hits().Nodes().size(), 2u);
    EXPECT_EQ(doc.Hits().Nodes()[0].Columns.size(), 2u); // key and 950
    EXPECT_TRUE(doc.Hits().Nodes()[1].Columns.empty());  // Child's only column went
    EXPECT_EQ(doc.Hits().Index(), 0);
    EXPECT_EQ(doc.Hits().Column(), 0);
    // Stepping onto, past and round the hit without columns never fails:
    // the focus goes to its node and the column stays where it was.
    const struct {
        bool (*step)(TLexDocument&);
        int index, column;
        const char* current;
        bool wrapped;
    } steps[] = {
        {&FindNext, 0, 1, "&File:1", false},  {&FindNext, 1, 0, "Child:1", false},
        {&FindNext, 0, 0, "&File:0", true},   {&FindPrior, 1, -1, "Child:0", true},
        {&FindPrior, 0, 1, "&File:1", false}, {&FindPrior, 0, 0, "&File:0", false},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(steps[i].step(doc), steps[i].wrapped) << "step " << i;
        EXPECT_EQ(doc.Hits().Index(), steps[i].index) << "step " << i;
        EXPECT_EQ(doc.Hits().Column(), steps[i].column) << "step " << i;
        EXPECT_EQ(Current(), steps[i].current) << "step " << i;
    }
}

// Each language in its own code page, the keys in the process's (936 in
// this program). The fixture holds the GB2312 bytes of 文件 in a western
// cell, where they read as other letters, and a GBK character whose second
// byte is the letter a.
const char* const Wenjian936 = "\xCE\xC4\xBC\xFE";
const char* const Wenjian950 = "\xA4\xE5\xA5\xF3";

class UnicodeSearchTest : public test::DocumentTest {
protected:
    UnicodeSearchTest() {
        Load(doc, StandardFields,
             {{"File", "936", "0", Wenjian936},
              {"File", "950", "0", Wenjian950},
              {"File", "1252", "0", "File"},
              {"Open", "936", "0", std::string("\xB4\xF2\xBF\xAA") + Wenjian936}, // 打开文件
              {"Open", "1252", "0", Wenjian936},
              {"Up", "936", "0",
               "\x81"
               "a"}, // 乤
              {"Up", "1252", "0", "a file"},
              {"Two", "1252", "0", "file, FILE"},
              {Wenjian936, "1252", "0", "x"}});
    }
    // Every hit as "key:column,column" in order; columns are the key (0),
    // 936 (1), 950 (2) and 1252 (3).
    std::string Hits() {
        std::string out;
        for (const TFoundNode& hit : doc.Hits().Nodes()) {
            out += (out.empty() ? "" : " ") + std::string(doc.Key(hit.Node)) + ":";
            for (size_t i = 0; i < hit.Columns.size(); ++i)
                out += (i ? "," : "") + std::to_string(hit.Columns[i]->Index());
        }
        return out;
    }
    TLexDocument doc;
};

TEST_F(UnicodeSearchTest, EachBandIsSearchedInItsOwnCodePage) {
    const struct {
        std::u16string text;
        std::string hits;
    } cases[] = {
        {u"\u6587\u4EF6", std::string("File:1,2 Open:1 ") + Wenjian936 + ":0"}, // 文件
        {u"file", "File:0,3 Up:3 Two:3"},
        {u"A", "Up:3"},              // not the second byte of 乤
        {u"\u00CE\u00C4", "Open:3"}, // the western reading of those bytes
        {u"\u0E01", ""},             // a Thai letter no band holds
    };
    for (const auto& c : cases) {
        Find(doc, c.text);
        EXPECT_EQ(Hits(), c.hits) << c.hits;
    }
    const struct {
        std::u16string text;
        const char* key;
        int column;
    } located[] = {{u"\u6587\u4EF6", "File", 1}, {u"a FILE", "Up", 3}, {u"\u00CE\u00C4", "", 0}};
    for (const auto& c : located) {
        doc.Tree().SetFocusedNode(nullptr);
        EXPECT_EQ(Locate(doc, c.text), *c.key != 0) << c.key;
        const TTreeNode* focused = doc.Tree().FocusedNode();
        EXPECT_EQ(focused ? std::string(doc.Key(focused)) : "", c.key);
        if (focused) {
            EXPECT_EQ(doc.Tree().FocusedColumn(), c.column);
        }
    }
}

TEST_F(UnicodeSearchTest, ReplaceCountsWhatItChangesByCaseAndWholeCell) {
    const struct {
        std::u16string find, with;
        const char* band; // a code page, or all
        bool matchCase, wholeCell;
        int count;
        std::string changed; // the western cells, or another band's, afterwards
    } cases[] = {
        {u"file", u"doc", "1252", false, false, 4, "Up=a doc Two=doc, doc File=doc"},
        {u"file", u"doc", "1252", true, false, 2, "Up=a doc Two=doc, FILE File=File"},
        {u"file", u"doc", "1252", false, true, 1, "Up=a file Two=file, FILE File=doc"},
        {u"FILE", u"doc", "1252", true, true, 0, "Up=a file Two=file, FILE File=File"},
        {u"a", u"b", "936", false, false, 0, // not inside a character
         std::string("Up=\x81"
                     "a File=") +
             Wenjian936 + " Open=\xB4\xF2\xBF\xAA" + Wenjian936},
        {u"\u6587\u4EF6", u"\u56FD", "936", false, false, 2, // 文件 to 国
         "Up=\x81"
         "a File=\xB9\xFA Open=\xB4\xF2\xBF\xAA\xB9\xFA"},
    };
    for (const auto& c : cases) {
        TLexDocument fresh;
        Load(fresh, StandardFields,
             {{"File", "936", "0", Wenjian936},
              {"File", "1252", "0", "File"},
              {"Open", "936", "0", std::string("\xB4\xF2\xBF\xAA") + Wenjian936},
              {"Up", "936", "0",
               "\x81"
               "a"},
              {"Up", "1252", "0", "a file"},
              {"Two", "1252", "0", "file, FILE"}});
        TLexBand* band = nullptr;
        for (int b = 1; b < fresh.Tree().BandCount(); ++b)
            if (TLexDocument::BandCodePage(*fresh.Tree().Band(b)) == c.band)
                band = fresh.Tree().Band(b);
        ASSERT_NE(band, nullptr);
        // The key band never takes a replacement, even when asked.
        EXPECT_EQ(
            ReplaceText(fresh,
                        {c.find, c.with, {fresh.Tree().Band(0), band}, c.matchCase, c.wholeCell}),
            c.count)
            << c.changed;
        std::string changed;
        for (const char* key : {"Up", "Two", "File", "Open"}) {
            const TTreeNode* node = fresh.FindNodeByKey(key);
            const std::string_view value =
                node ? fresh.Tree().Value(node, band->Column(0)->Index()) : std::string_view();
            if (!value.empty())
                changed +=
                    (changed.empty() ? "" : " ") + std::string(key) + "=" + std::string(value);
        }
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(fresh.Modified(), c.count > 0);
        EXPECT_TRUE(fresh.FindNodeByKey("File")) << "keys stay";
    }
}

// Single bytes, UTF-8, double bytes, EBCDIC, UTF-16 and a shifting state
// each take their own way through the cells; all find and replace alike.
TEST_F(UnicodeSearchTest, FindAndReplaceWorkInEveryKindOfCodePage) {
    const struct {
        const char* codePage;
        std::u16string text, after;
    } cases[] = {
        {"1252", u"\u00C4ab Ab", u"\u00C4cd cd"}, {"65001", u"\u30A2ab Ab", u"\u30A2cd cd"},
        {"932", u"\u30A2ab Ab", u"\u30A2cd cd"},  {"37", u"\u00C4ab Ab", u"\u00C4cd cd"},
        {"1200", u"\u30A2ab Ab", u"\u30A2cd cd"}, {"50220", u"\u30A2ab Ab", u"\u30A2cd cd"},
    };
    for (const auto& c : cases) {
        const int codePage = std::stoi(c.codePage);
        TLexDocument fresh;
        Load(fresh, StandardFields, {{"k", c.codePage, "0", EncodeText(c.text, codePage)}});
        Find(fresh, u"AB");
        ASSERT_EQ(fresh.Hits().Nodes().size(), 1u) << c.codePage;
        EXPECT_EQ(fresh.Hits().Nodes()[0].Columns.size(), 1u) << c.codePage;
        EXPECT_EQ(ReplaceText(fresh, {u"aB", u"cd", {fresh.Tree().Band(1)}, false, false}), 2)
            << c.codePage;
        EXPECT_EQ(DecodeText(fresh.Tree().Value(fresh.Tree().FirstNode(), 1), codePage), c.after)
            << c.codePage;
    }
}

TEST_F(UnicodeSearchTest, AReplacementABandCannotHoldChangesNothing) {
    // 国 is simplified: Big5 has no place for it, and the 950 band has a match.
    test::UndoHistory history(doc);
    SetModified(doc, false);
    const std::string before = Outline(doc);
    std::vector<TLexBand*> all;
    for (int b = 0; b < doc.Tree().BandCount(); ++b)
        all.push_back(doc.Tree().Band(b));
    EXPECT_THROW(ReplaceText(doc, {u"\u6587\u4EF6", u"\u56FD", all, false, false}), EAbort);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Error|Character U+56FD cannot be written in code page 950"}));
    EXPECT_EQ(Outline(doc), before);
    EXPECT_FALSE(doc.Modified());
    EXPECT_TRUE(history.steps.empty());

    // A band without a match need not hold it: 1252 cannot, but has no 文件.
    all.erase(all.begin() + 2); // the 950 band
    EXPECT_EQ(ReplaceText(doc, {u"\u6587\u4EF6", u"\u56FD", all, false, false}), 2);
    ASSERT_EQ(history.steps.size(), 1u) << "one step";
    const std::string after = Outline(doc);
    history.Undo();
    EXPECT_EQ(Outline(doc), before);
    EXPECT_FALSE(doc.Modified());
    history.Redo();
    EXPECT_EQ(Outline(doc), after);
}

} // namespace
} // namespace lex
