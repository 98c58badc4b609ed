#include "editor/LexSearch.h"
#include "editor/NodeListLexReader.h"
#include "support/DocumentSupport.h"
#include "support/UndoHistory.h"

#include <functional>

namespace lex {
namespace {

using test::StandardFields;

using History = test::UndoHistory;

// Public: the table of commands below reaches the fixture from its lambdas.
class UndoTest : public test::DocumentTest {
public:
    using test::DocumentTest::Merge;
    using test::DocumentTest::overwrites;
    UndoTest() {
        Load(doc, StandardFields,
             {{"File", "936", "0", "\xCE\xC4\xBC\xFE"},
              {"File", "950", "0", ""},
              {"Open", "1252", "0", "open", "File"},
              {"Save", "1252", "0", "save", "File"},
              {"Edit", "1252", "1", "edit"}});
    }
    TTreeNode* Node(std::string_view Key) { return doc.FindNodeByKey(Key); }
    void Edit(TTreeNode* Node, int Column, std::string Text) {
        doc.Tree().SetFocusedNode(Node);
        doc.Tree().SetFocusedColumn(Column);
        doc.Tree().ShowEditor();
        doc.Tree().SetEditText(std::move(Text));
        doc.PostEdit();
    }
    // What a save writes, with the languages and sequences and the counts.
    std::string State() {
        std::string state = Outline(doc) + " |";
        for (const TLexRecord& record : test::ReadAll(*CreateNodeListReader(doc, false, {}))) {
            for (const auto& field : record)
                state += " " + field.value_or("<null>");
            state += ";";
        }
        for (int b = 1; b < doc.Tree().BandCount(); ++b)
            for (const std::string& caption : Captions(doc.Tree().Band(b)))
                state += " " + TLexDocument::BandCodePage(*doc.Tree().Band(b)) + "/" + caption;
        state += " n=" + std::to_string(doc.NodeCount());
        state += doc.Band936() ? " 936" : "";
        state += doc.Band950() ? " 950" : "";
        return state;
    }

    TLexDocument doc;
    History history{doc};
};

TEST_F(UndoTest, EachCommandIsOneStepThatUndoesAndRedoesExactly) {
    struct Case {
        const char* Name;
        std::function<void(UndoTest&)> Run;
    };
    const Case cases[] = {
        {"Edit Cell", [](UndoTest& T) { T.Edit(T.Node("Open"), 3, "OPEN"); }},
        {"Rename Key", [](UndoTest& T) { T.Edit(T.Node("File"), 0, "Datei"); }},
        {"New Node", [](UndoTest& T) { T.doc.NewNode(); }},
        {"New Sub Node",
         [](UndoTest& T) {
             T.doc.Tree().SetFocusedNode(T.Node("Save"));
             T.doc.NewSubNode();
         }},
        {"Delete Node",
         [](UndoTest& T) {
             T.doc.Tree().Select(T.Node("Open"));
             T.doc.Tree().Select(T.Node("File"));
             T.doc.Tree().Select(T.Node("Edit"));
             T.doc.DeleteNodes();
         }},
        {"Delete Node", [](UndoTest& T) { T.doc.DeleteNode(T.Node("Open")); }},
        {"Move Node",
         [](UndoTest& T) {
             T.doc.Tree().Select(T.Node("Open"));
             T.doc.Drop(T.Node("Edit"));
         }},
        {"Move Node",
         [](UndoTest& T) {
             T.doc.Tree().Select(T.Node("Open"));
             T.doc.Drop(nullptr);
         }},
        {"Translate To Big5",
         [](UndoTest& T) {
             T.doc.ConvertNodeChinese(T.Node("File"), T.doc.Band936(), T.doc.Band950());
         }},
        {"Add New Language", [](UndoTest& T) { T.doc.AddLanguage("1250"); }},
        {"New Sequence", [](UndoTest& T) { T.doc.AddSequenceColumn(T.doc.Band936(), "2"); }},
        {"Delete Sequence",
         [](UndoTest& T) { T.doc.DeleteSequenceColumn(T.doc.Band936()->Column(0)); }},
        {"Delete Language", [](UndoTest& T) { T.doc.DeleteLanguageBand(T.doc.Band936()); }},
        {"Delete Language", [](UndoTest& T) { T.doc.DeleteLanguageBand(T.doc.Band950()); }},
        {"Replace",
         [](UndoTest& T) {
             std::vector<TLexBand*> bands;
             for (int b = 0; b < T.doc.Tree().BandCount(); ++b)
                 bands.push_back(T.doc.Tree().Band(b));
             ReplaceText(T.doc, {u"E", u"é", bands, false, false});
         }},
        {"Import",
         [](UndoTest& T) {
             T.overwrites = {TOverwriteAnswer::Overwrite};
             T.Merge(T.doc, StandardFields,
                     {{"Open", "1252", "0", "opened"},
                      {"Close", "1252", "0", "close", "File"},
                      {"Edit", "1253", "0", "edit", "Menu"}});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Load(doc, StandardFields, // drops the steps of the case before
             {{"File", "936", "0", "\xCE\xC4\xBC\xFE"},
              {"File", "950", "0", ""},
              {"Open", "1252", "0", "open", "File"},
              {"Save", "1252", "0", "save", "File"},
              {"Edit", "1252", "1", "edit"}});
        const std::string before = State();
        c.Run(*this);
        doc.PostEdit();
        const std::string after = State();
        ASSERT_NE(after, before);
        ASSERT_GE(history.steps.size(), 1u);
        EXPECT_EQ(history.steps[0]->Name(), c.Name);
        // A new node's editor is a step of its own once it is ended.
        while (history.index > 0)
            history.Undo();
        EXPECT_EQ(State(), before);
        EXPECT_FALSE(doc.Modified());
        while (history.index < static_cast<int>(history.steps.size()))
            history.Redo();
        EXPECT_EQ(State(), after);
        EXPECT_TRUE(doc.Modified());
        history.Undo();
        history.Redo(); // twice over the same changes
        EXPECT_EQ(State(), after);
    }
}

TEST_F(UndoTest, ScopesJoinSeveralCommandsIntoOneStep) {
    {
        const TLexDocument::TUndoScope step(doc, "Grab Data From Dictionary");
        doc.SetNodeKey(Node("Open"), "Opened");
        doc.SetNodeValue(Node("Edit"), 3, "EDIT");
        doc.AppendNode("New");
        doc.SetNodeValue(Node("New"), 3, "new");
    }
    ASSERT_EQ(history.steps.size(), 1u);
    EXPECT_EQ(history.steps[0]->Name(), "Grab Data From Dictionary");
    history.Undo();
    EXPECT_EQ(Outline(doc), "File[936/0=\xCE\xC4\xBC\xFE](Open[1252/0=open] Save[1252/0=save]) "
                            "Edit[1252/1=edit]");
    EXPECT_EQ(doc.NodeCount(), 4);
}

TEST_F(UndoTest, UndoingToTheSaveClearsModifiedUntilTheSaveIsOutOfReach) {
    test::TempDir dir;
    Edit(Node("Open"), 3, "one");
    SaveAs(doc, dir / "saved.lxt");
    EXPECT_FALSE(doc.Modified());
    Edit(Node("Open"), 3, "two");
    EXPECT_TRUE(doc.Modified());
    history.Undo();
    EXPECT_FALSE(doc.Modified());
    history.Undo();
    EXPECT_TRUE(doc.Modified());
    history.Redo();
    EXPECT_FALSE(doc.Modified());

    history.Undo();
    Edit(Node("Open"), 3, "three"); // drops the redo tail and the save with it
    EXPECT_EQ(history.steps.size(), 1u);
    history.Undo();
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Tree().Value(Node("Open"), 3), "open");
}

TEST_F(UndoTest, PointersToNodesTheUndoTakesAwayAreLetGo) {
    doc.Tree().SetFocusedNode(Node("Save"));
    TTreeNode* added = doc.NewSubNode();
    doc.PostEdit();
    TLexDocumentTestAccess::SetHits(
        doc, {{added, {doc.Tree().Column(0)}}, {Node("Edit"), {doc.Tree().Column(0)}}}, 1, 0);
    doc.Tree().SetFocusedNode(added);
    doc.Tree().Select(added);
    history.Undo(); // its editor ended unchanged: no step of its own
    EXPECT_EQ(doc.Tree().FocusedNode(), nullptr);
    EXPECT_EQ(doc.Tree().SelectionCount(), 0);
    ASSERT_EQ(doc.Hits().Nodes().size(), 1u);
    EXPECT_EQ(doc.Hits().Nodes()[0].Node, Node("Edit"));
    EXPECT_EQ(doc.Hits().Index(), 0);
    EXPECT_EQ(Node("Save")->Count(), 0);

    // A new step drops the undone one, which frees the node it held.
    doc.Tree().SetFocusedNode(Node("Edit"));
    doc.DeleteNodes();
    EXPECT_EQ(history.steps.size(), 1u);
    history.Undo();
    EXPECT_EQ(Outline(doc), "File[936/0=\xCE\xC4\xBC\xFE](Open[1252/0=open] Save[1252/0=save]) "
                            "Edit[1252/1=edit]");
}

TEST_F(UndoTest, WithoutAHistoryNothingIsRecorded) {
    doc.SetUndoHistory(nullptr);
    doc.DeleteNode(Node("File"));
    EXPECT_EQ(doc.Tree().RecordingStep(), nullptr);
    EXPECT_TRUE(history.steps.empty());
    EXPECT_EQ(doc.NodeCount(), 1);
}

} // namespace
} // namespace lex
