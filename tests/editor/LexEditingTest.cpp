#include "editor/LexSearch.h"
#include "editor/NodeListLexReader.h"
#include "platform/Exceptions.h"
#include "support/DocumentSupport.h"

#include <set>
#include <tuple>

namespace lex {
namespace {

using test::StandardFields;

class EditingTest : public test::DocumentTest {
protected:
    TTreeNode* Node(std::string_view Key) { return doc.FindNodeByKey(Key); }
    void EditKey(TTreeNode* Node, std::string Text) {
        doc.Tree().SetFocusedNode(Node);
        doc.Tree().SetFocusedColumn(0);
        doc.Tree().ShowEditor();
        doc.Tree().SetEditText(std::move(Text));
        doc.PostEdit();
    }
    TLexDocument doc;
};

TEST_F(EditingTest, NewNodesGetFreeKeysAndTheirParentsKey) {
    doc.AddDefaultLanguages();
    EXPECT_FALSE(doc.Modified());
    TTreeNode* first = doc.NewNode();
    EXPECT_TRUE(doc.Tree().Editing());
    doc.PostEdit();
    TTreeNode* second = doc.NewNode();
    doc.PostEdit();
    EXPECT_EQ(doc.Key(first), "LexKey1");
    EXPECT_EQ(doc.Key(second), "LexKey2");
    EditKey(first, "File");
    doc.Tree().SetFocusedNode(Node("File"));
    TTreeNode* child = doc.NewSubNode();
    doc.PostEdit();
    EXPECT_EQ(doc.Key(child), "LexKey1");
    EXPECT_EQ(child->Data->ParentKey, "File");
    TTreeNode* sibling = doc.NewNode(); // on the child: a sibling under File
    doc.PostEdit();
    EXPECT_EQ(sibling->Parent(), Node("File"));
    EXPECT_EQ(sibling->Data->ParentKey, "File");
    EXPECT_EQ(doc.NodeCount(), 4);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(Outline(doc), "File(LexKey1 LexKey3) LexKey2");
}

TEST_F(EditingTest, KeyEditsAreCheckedAndCarryTheChildren) {
    Load(doc, StandardFields,
         {{"File", "1252", "0", "f"},
          {"Edit", "1252", "0", "e"},
          {"Open", "1252", "0", "o", "File"}});
    EditKey(Node("File"), "FILE"); // the same key in other case is fine
    EXPECT_EQ(doc.Key(doc.Tree().FirstNode()), "FILE");
    EXPECT_EQ(Node("Open")->Data->ParentKey, "FILE");
    EXPECT_TRUE(doc.Modified());

    EXPECT_THROW(EditKey(Node("Edit"), "file"), EAbort);
    EXPECT_EQ(shown.back(), "Error|LexKey already exists!");
    EXPECT_TRUE(doc.Tree().Editing()); // the edit stays open, the key unchanged
    EXPECT_EQ(doc.Key(Node("Edit")), "Edit");
}

TEST_F(EditingTest, DeletingNodesColumnsAndBands) {
    Load(doc, StandardFields,
         {{"a", "936", "0", "x"},
          {"b", "936", "0", "", "a"},
          {"c", "936", "0", "", "a"},
          {"d", "936", "1", "y"},
          {"e", "950", "0", "z"}});
    doc.Tree().Select(Node("b"));
    doc.Tree().Select(Node("a"));
    doc.DeleteNodes();
    EXPECT_EQ(doc.NodeCount(), 2);
    EXPECT_EQ(Outline(doc), "d[936/1=y] e[950/0=z]");

    SetModified(doc, false);
    doc.DeleteSequenceColumn(doc.Band936()->Column(0));
    EXPECT_EQ(doc.Band936()->Column(0)->Width, 200);
    EXPECT_TRUE(doc.Modified());
    doc.DeleteLanguageBand(doc.Band936());
    EXPECT_EQ(doc.Band936(), nullptr);
    EXPECT_EQ(Outline(doc), "d e[950/0=z]");
    // A new column must not see the values of the deleted ones.
    TLexColumn* added = doc.AddSequenceColumn(doc.Band950(), "5");
    EXPECT_EQ(doc.Tree().Value(Node("d"), added->Index()), "");
}

// Deleting the selection is one batch: the view resets once, the selection
// and the hit list end consistent, a selected node below a selected node
// deleted before it is skipped.
TEST_F(EditingTest, DeletingTheSelectionIsOneBatch) {
    Load(doc, StandardFields,
         {{"a", "936", "0", "x"},
          {"b", "936", "0", "x", "a"},
          {"c", "936", "0", "x", "a"},
          {"d", "936", "0", "x"},
          {"e", "936", "0", "x"},
          {"f", "936", "0", "x", "e"},
          {"g", "936", "0", "x"}});
    Find(doc, u"x");
    struct Recorder : ILexTreeObserver {
        std::vector<std::string> events;
        void BeginReset() override { events.push_back("begin"); }
        void EndReset() override { events.push_back("end"); }
        void NodeRemoved() override { events.push_back("removed"); }
    } recorder;
    TLexTree& tree = doc.Tree();
    tree.AddObserver(&recorder);
    tree.ClearSelection();
    for (const char* key : {"f", "a", "c", "d", "g"})
        tree.Select(Node(key));
    doc.DeleteNodes();
    tree.RemoveObserver(&recorder);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"begin", "end"}));
    EXPECT_EQ(Outline(doc), "e[936/0=x]");
    EXPECT_EQ(doc.NodeCount(), 1);
    EXPECT_EQ(tree.SelectionCount(), 0);
    ASSERT_EQ(doc.Hits().Nodes().size(), 1u);
    EXPECT_EQ(doc.Hits().Nodes()[0].Node, Node("e"));

    // A node deleted alone leaves the rest of the selection as it was.
    Load(doc, StandardFields, {{"a", "936", "0", "x"}, {"b", "936", "0", "x"}});
    tree.Select(Node("b"));
    tree.Select(Node("a"));
    doc.DeleteNode(Node("b"));
    ASSERT_EQ(tree.SelectionCount(), 1);
    EXPECT_EQ(tree.SelectedNode(0), Node("a"));
}

TEST_F(EditingTest, SequenceColumnsStandInOrder) {
    TLexBand* band = doc.AddLanguageBand("1252");
    for (const char* seq : {"0", "2", "1", "10", "9", "b", "A"})
        doc.AddSequenceColumn(band, seq);
    EXPECT_EQ(Captions(band), (std::vector<std::string>{"0", "1", "2", "9", "10", "A", "b"}));
    // The grid's column order follows the positions within the band.
    for (int i = 0; i < band->ColumnCount(); ++i)
        EXPECT_EQ(band->Column(i)->Index(), i + 1);
    int position = 0;
    EXPECT_EQ(doc.FindSequenceColumn(band, "9", position), band->Column(3));
    EXPECT_EQ(doc.FindSequenceColumn(band, "3", position), nullptr);
    EXPECT_EQ(position, 3);

    // Digit strings are numbers of any length; leading zeros do not count.
    TLexDocument big;
    Load(big, StandardFields,
         {{"k", "950", "99999999999", "a"},
          {"k", "950", "2", "b"},
          {"k", "950", "18446744073709551616", "c"},
          {"k", "950", "0099999999998", "d"}});
    EXPECT_EQ(
        Captions(big.Band950()),
        (std::vector<std::string>{"2", "0099999999998", "99999999999", "18446744073709551616"}));
    EXPECT_EQ(big.FindSequenceColumn(big.Band950(), "099999999999", position),
              big.Band950()->Column(2));

    TLexBand* unknown = doc.AddLanguageBand("12345");
    EXPECT_EQ(unknown->Caption, "12345");
}

// Add New Language of a code page that has a band goes to that band, so a
// save never writes one key, code page and sequence twice.
TEST_F(EditingTest, OneBandPerCodePage) {
    doc.AddDefaultLanguages();
    TTreeNode* node = doc.NewNode();
    doc.PostEdit();
    doc.Tree().SetValue(node, doc.Band950()->Column(0)->Index(), "v");
    SetModified(doc, false);
    EXPECT_EQ(doc.AddLanguage("950"), doc.Band950());
    EXPECT_EQ(doc.Tree().BandCount(), 4);
    EXPECT_EQ(Captions(doc.Band950()), std::vector<std::string>{"0"});
    EXPECT_FALSE(doc.Modified());

    // A band whose last sequence went gets the sequence "0" back.
    doc.DeleteSequenceColumn(doc.Band936()->Column(0));
    EXPECT_EQ(doc.AddLanguage("936"), doc.Band936());
    EXPECT_EQ(Captions(doc.Band936()), std::vector<std::string>{"0"});
    EXPECT_EQ(doc.Tree().BandCount(), 4);

    TLexBand* added = doc.AddLanguage("1250");
    EXPECT_EQ(doc.Tree().BandCount(), 5);
    EXPECT_EQ(Captions(added), std::vector<std::string>{"0"});
    EXPECT_EQ(doc.AddLanguage("1250"), added);
    EXPECT_NE(doc.AddLanguage("01250"), added); // another code page's text
    EXPECT_TRUE(doc.Modified());

    for (int c = 1; c < doc.Tree().ColumnCount(); ++c)
        doc.Tree().SetValue(node, c, "v");
    const auto records = test::ReadAll(*CreateNodeListReader(doc, false, {}));
    EXPECT_EQ(records.size(), 5u);
    std::set<std::tuple<std::string, std::string, std::string>> seen;
    for (const TLexRecord& r : records)
        EXPECT_TRUE(seen.emplace(*r[0], *r[1], *r[2]).second) << *r[0] << "/" << *r[1];
}

TEST_F(EditingTest, EditorStyleReachesEveryLanguageColumn) {
    doc.AddDefaultLanguages();
    doc.SetEditorStyle(TEditorStyle::Panel);
    doc.AddSequenceColumn(doc.Band950(), "1"); // a new column takes the style too
    for (int i = 1; i < doc.Tree().ColumnCount(); ++i)
        EXPECT_EQ(doc.Tree().Column(i)->PopupStyle, TEditorStyle::Panel) << i;
}

TEST_F(EditingTest, DragAndDrop) {
    Load(doc, StandardFields,
         {{"a", "936", "0", "x"},
          {"b", "936", "0", "x"},
          {"t", "936", "0", "x"},
          {"c", "936", "0", "x", "a"}});
    TLexTree& tree = doc.Tree();
    tree.Select(Node("a"));
    EXPECT_FALSE(doc.CanDrop(Node("a")));
    EXPECT_FALSE(doc.CanDrop(Node("c")));
    EXPECT_FALSE(doc.CanDrop(nullptr)); // already at the top level
    tree.ClearSelection();
    tree.Select(Node("c"));
    EXPECT_FALSE(doc.CanDrop(Node("a")));
    EXPECT_TRUE(doc.CanDrop(nullptr));
    doc.Drop(nullptr);
    EXPECT_EQ(Node("c")->Parent(), nullptr);
    EXPECT_EQ(Node("c")->Data->ParentKey, "");

    tree.ClearSelection();
    tree.Select(Node("a"));
    tree.Select(Node("b"));
    ASSERT_TRUE(doc.CanDrop(Node("t")));
    SetModified(doc, false);
    doc.Drop(Node("t"));
    EXPECT_EQ(Outline(doc), "t[936/0=x](b[936/0=x] a[936/0=x]) c[936/0=x]");
    EXPECT_EQ(Node("a")->Data->ParentKey, "t");
    EXPECT_TRUE(doc.Modified());
}

TEST_F(EditingTest, ConvertsChineseBetweenTheBands) {
    Load(doc, StandardFields,
         {{"k", "936", "0", "\xB9\xFA"}, {"k", "936", "1", "\xBA\xF3"}, {"k", "950", "0", "old"}});
    TTreeNode* node = Node("k");
    SetModified(doc, false);
    doc.ConvertNodeChinese(node, doc.Band936(), doc.Band950());
    EXPECT_EQ(Outline(doc), "k[936/0=\xB9\xFA 936/1=\xBA\xF3 950/0=\xB0\xEA]");
    EXPECT_TRUE(doc.Modified());
    doc.Tree().SetValue(node, doc.Band936()->Column(0)->Index(), "");
    doc.ConvertNodeChinese(node, doc.Band950(), doc.Band936());
    EXPECT_EQ(doc.Tree().Value(node, doc.Band936()->Column(0)->Index()), "\xB9\xFA");
}

TEST_F(EditingTest, CloseQuery) {
    doc.SetUntitledCaption("Lexicon 1");
    EXPECT_TRUE(doc.CloseQuery([] { FAIL(); }));
    SetModified(doc, true);
    const struct {
        int answer;
        bool saveSucceeds;
        bool closes;
    } cases[] = {
        {IDCANCEL, true, false}, {IDNO, false, true}, {IDYES, true, true}, {IDYES, false, false}};
    for (const auto& c : cases) {
        SetModified(doc, true);
        answers = {c.answer};
        shown.clear();
        EXPECT_EQ(doc.CloseQuery([&] { SetModified(doc, !c.saveSucceeds); }), c.closes);
        EXPECT_EQ(shown, std::vector<std::string>{"Confirm|\"Lexicon 1\": Data modified, Save?"});
    }
}

TEST(CaptionTest, SmallestFreeNumber) {
    EXPECT_EQ(NumberedCaption("Lexicon", {}), "Lexicon 1");
    EXPECT_EQ(NumberedCaption("Lexicon", {"Lexicon 1", "Lexicon 3"}), "Lexicon 2");
    EXPECT_TRUE(IsDigits("12"));
    EXPECT_FALSE(IsDigits(""));
    EXPECT_FALSE(IsDigits("1a"));
}

} // namespace
} // namespace lex
