#include "editor/LexTree.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

struct Recorder : ILexTreeObserver {
    std::vector<std::string> events;
    void BeginReset() override { events.push_back("begin"); }
    void EndReset() override { events.push_back("end"); }
    void NodeAdded(TTreeNode*) override { events.push_back("added"); }
    void NodeMoved(TTreeNode*) override { events.push_back("moved"); }
    void NodeRemoved() override { events.push_back("removed"); }
    void ValueChanged(TTreeNode*, int Column) override {
        events.push_back("value " + std::to_string(Column));
    }
};

TEST(LexTreeTest, MovesAreO1AndRefuseCycles) {
    TLexTree tree;
    tree.AddColumn(tree.AddBand(), 0);
    TTreeNode* a = tree.AddNode(nullptr);
    TTreeNode* b = tree.AddNode(nullptr);
    TTreeNode* c = tree.AddNode(a);
    EXPECT_FALSE(tree.MoveNode(a, c, true)); // into its own subtree
    EXPECT_FALSE(tree.MoveNode(a, a, true));
    EXPECT_FALSE(tree.MoveNode(a, nullptr, true));
    EXPECT_TRUE(tree.MoveNode(b, c, true));
    EXPECT_EQ(b->Parent(), c);
    EXPECT_EQ(tree.Count(), 1);
    EXPECT_EQ(tree.SubtreeSize(a), 3);
    EXPECT_TRUE(TLexTree::IsInSubtree(b, a));
    EXPECT_FALSE(TLexTree::IsInSubtree(a, b));
    EXPECT_EQ(b->Index(), 0);
    tree.MoveNode(b, nullptr, false);
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(TLexTree::NextInTreeOrder(c), b);

    tree.Select(c);
    tree.SetFocusedNode(c);
    tree.DeleteNode(a);
    EXPECT_EQ(tree.FocusedNode(), nullptr);
    EXPECT_EQ(tree.SelectionCount(), 0);
    EXPECT_EQ(tree.FirstNode(), b);
}

// A deletion only unmarks selected nodes; the selection drops them when it
// is next read, also when a new node has taken a deleted one's storage.
TEST(LexTreeTest, SelectionForgetsDeletedNodes) {
    TLexTree tree;
    tree.AddColumn(tree.AddBand(), 0);
    TTreeNode* a = tree.AddNode(nullptr);
    TTreeNode* b = tree.AddNode(nullptr);
    tree.Select(b);
    tree.Select(a);
    tree.DeleteNode(b);
    TTreeNode* reused = tree.AddNode(nullptr);
    ASSERT_EQ(reused, b);
    EXPECT_FALSE(reused->Selected());
    tree.Select(reused);
    ASSERT_EQ(tree.SelectionCount(), 2);
    EXPECT_EQ(tree.SelectedNode(0), a);
    EXPECT_EQ(tree.SelectedNode(1), reused);
}

TEST(LexTreeTest, ObserversSeeChangesOrOneResetPerBatch) {
    TLexTree tree;
    tree.AddColumn(tree.AddBand(), 0);
    Recorder recorder;
    tree.AddObserver(&recorder);
    TTreeNode* a = tree.AddNode(nullptr);
    tree.SetValue(a, 0, "key");
    {
        const TLexTreeUpdate outer(tree);
        const TLexTreeUpdate inner(tree);
        tree.AddNode(a);
        tree.SetValue(a, 0, "other");
    }
    tree.DeleteNode(a);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"added", "value 0", "begin", "end", "removed"}));
    tree.RemoveObserver(&recorder);
}

TEST(LexTreeTest, AValueMayBeSetFromTheNodesOwn) {
    TLexTree tree;
    tree.AddColumn(tree.AddBand(), 0);
    TTreeNode* node = tree.AddNode(nullptr);
    tree.SetValue(node, 0, "#0"); // short: held inside the string itself
    const TLexColumn* column = tree.AddColumn(tree.AddBand(), 0);
    tree.SetValue(node, column->Index(), tree.Value(node, 0)); // the slots grow first
    EXPECT_EQ(tree.Value(node, column->Index()), "#0");
}

TEST(LexTreeTest, ColumnsKeepTheirValuesWhenOthersMove) {
    TLexTree tree;
    tree.AddColumn(tree.AddBand(), 0);
    TLexBand* band = tree.AddBand();
    TLexColumn* zero = tree.AddColumn(band, 0);
    TLexColumn* two = tree.AddColumn(band, 1);
    TTreeNode* node = tree.AddNode(nullptr);
    tree.SetValue(node, zero->Index(), "zero");
    tree.SetValue(node, two->Index(), "two");
    TLexColumn* one = tree.AddColumn(band, 1);
    EXPECT_EQ(one->Index(), 2);
    EXPECT_EQ(two->Index(), 3);
    EXPECT_EQ(tree.Value(node, 3), "two");
    EXPECT_EQ(tree.Value(node, 2), "");
    tree.DeleteColumn(zero);
    EXPECT_EQ(tree.Value(node, two->Index()), "two");
}

} // namespace
} // namespace lex
