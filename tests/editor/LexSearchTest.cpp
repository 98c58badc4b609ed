#include "support/DocumentSupport.h"

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

TEST_F(SearchTest, FindStepsThroughCellsInTreeOrder) {
    for (const char* text : {"file", "FILE"}) {
        doc.Find(text);
        ASSERT_EQ(doc.FoundNodes().size(), 2u) << text;
        EXPECT_EQ(doc.FoundNodes()[0].Columns.size(), 3u);
        EXPECT_EQ(Current(), "&File:0");
    }
    std::vector<std::string> visited;
    for (int i = 0; i < 3; ++i) {
        doc.FindNext();
        visited.push_back(Current());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"&File:1", "&File:2", "Child:1"}));
    doc.FindPrior();
    doc.FindPrior();
    EXPECT_EQ(Current(), "&File:1");
    EXPECT_EQ(doc.Tree().SelectionCount(), 1);

    doc.Find("Fil");
    EXPECT_EQ(doc.FoundNodes().size(), 2u);
    doc.Find("");
    EXPECT_TRUE(doc.FoundNodes().empty());
}

TEST_F(SearchTest, LocateMatchesWholeTextsIgnoringCase) {
    EXPECT_TRUE(doc.Locate("&file"));
    EXPECT_EQ(Current(), "&File:0");
    EXPECT_TRUE(doc.Locate("A FILE"));
    EXPECT_EQ(Current(), "Child:1");
    EXPECT_FALSE(doc.Locate("Fil"));
}

TEST_F(SearchTest, HitsFollowDeletions) {
    doc.Find("i");
    ASSERT_EQ(doc.FoundNodes().size(), 3u); // &File (3 columns), &Open, Child
    doc.FindNext();
    doc.FindNext();
    doc.FindNext(); // &Open, column 0
    ASSERT_EQ(doc.FoundIndex(), 1);
    // Deleting &Open takes Child's hit too; the previous hit becomes
    // current, at its last column.
    doc.DeleteNode(doc.FindNodeByKey("&Open"));
    EXPECT_EQ(doc.FoundNodes().size(), 1u);
    EXPECT_EQ(doc.FoundIndex(), 0);
    EXPECT_EQ(doc.FoundColumn(), 2);

    TLexDocument fresh;
    Load(fresh, StandardFields, {{"&File", "936", "0", "File"}, {"&Open", "936", "0", "fichier"}});
    fresh.Find("i");
    fresh.DeleteNode(fresh.FindNodeByKey("&File")); // the first hit: the next becomes current
    EXPECT_EQ(fresh.FoundIndex(), 0);
    EXPECT_EQ(fresh.FoundColumn(), 0);
    ASSERT_EQ(fresh.FoundNodes().size(), 1u);
    EXPECT_EQ(fresh.FoundNodes()[0].Node, fresh.FindNodeByKey("&Open"));
}

TEST_F(SearchTest, HitsFollowDeletedColumns) {
    doc.Find("file");
    doc.FindNext(); // &File, its 936 column
    doc.DeleteSequenceColumn(doc.Band936()->Column(0));
    // The current column went: the position steps back to the key column.
    ASSERT_EQ(doc.FoundNodes().size(), 2u);
    EXPECT_EQ(doc.FoundNodes()[0].Columns.size(), 2u); // key and 950
    EXPECT_TRUE(doc.FoundNodes()[1].Columns.empty());  // Child's only column went
    EXPECT_EQ(doc.FoundIndex(), 0);
    EXPECT_EQ(doc.FoundColumn(), 0);
    // Stepping onto and past the hit without columns never fails: the focus
    // goes to its node and the column stays where it was.
    const struct {
        void (TLexDocument::*step)();
        int index, column;
        const char* current;
    } steps[] = {
        {&TLexDocument::FindNext, 0, 1, "&File:1"},
        {&TLexDocument::FindNext, 1, 0, "Child:1"},
        {&TLexDocument::FindNext, 2, 0, "Child:1"}, // past the end: nothing shown
        {&TLexDocument::FindNext, 2, 0, "Child:1"},
        {&TLexDocument::FindPrior, 1, -1, "Child:1"},
        {&TLexDocument::FindPrior, 0, 1, "&File:1"},
        {&TLexDocument::FindPrior, 0, 0, "&File:0"},
        {&TLexDocument::FindPrior, 0, 1, "&File:1"},
        {&TLexDocument::ShowFoundNode, 0, 1, "&File:1"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        (doc.*steps[i].step)();
        EXPECT_EQ(doc.FoundIndex(), steps[i].index) << "step " << i;
        EXPECT_EQ(doc.FoundColumn(), steps[i].column) << "step " << i;
        EXPECT_EQ(Current(), steps[i].current) << "step " << i;
    }
}

} // namespace
} // namespace lex
