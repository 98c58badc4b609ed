#include "app/IdleRules.h"

#include "editor/LexDocument.h"
#include "platform/CodePageCatalog.h"
#include "runtime/RuntimeModules.h"
#include "support/DocumentState.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TIdleState StateOf(const TLexDocument* Editor, int HistoryCount = 0) {
    TIdleInput input;
    input.Editor = Editor;
    input.HistoryCount = HistoryCount;
    return ComputeIdleState(input);
}

// The rules from a document alone, with inputs a window cannot easily reach:
// the hit positions and a selection without a focused node.
TEST(IdleRules, FindStepsAndNodeCounters) {
    RuntimeModules modules;
    InitializeCodePageList();
    {
        TLexDocument doc;
        doc.AddDefaultLanguages();
        TTreeNode* parent = doc.NewNode();
        for (int i = 0; i < 2; ++i) {
            doc.Tree().SetFocusedNode(parent);
            doc.NewSubNode();
            doc.PostEdit();
        }
        // Find Next and Find Prior go round the hits: offered while there
        // are any, wherever the current one is.
        const struct Case {
            std::vector<int> Columns; // of each hit
            int Index, Column;
        } cases[] = {{{}, 0, 0}, {{1}, 0, 0}, {{2}, 0, 1}, {{1, 3}, 1, 2}};
        for (const Case& c : cases) {
            std::vector<TFoundNode> hits;
            for (int columns : c.Columns)
                hits.push_back({parent, std::vector<TLexColumn*>(columns)});
            TLexDocumentTestAccess::SetHits(doc, std::move(hits), c.Index, c.Column);
            const TIdleState state = StateOf(&doc);
            EXPECT_EQ(state.Holds(TEnableRule::Hits), !c.Columns.empty())
                << c.Columns.size() << " hits";
        }
        TLexDocumentTestAccess::SetHits(doc, {}, 0, 0);

        doc.Tree().SetFocusedNode(parent);
        TIdleState state = StateOf(&doc);
        EXPECT_EQ(state.TotalNodes, "3");
        EXPECT_EQ(state.SubNodes, "2");

        // Selected but not focused: deleting and converting work on the
        // selection, a sub node needs the focus.
        doc.Tree().SetFocusedNode(nullptr);
        doc.Tree().ClearSelection();
        doc.Tree().Select(parent);
        state = StateOf(&doc);
        EXPECT_TRUE(state.Holds(TEnableRule::AnyNode));
        EXPECT_TRUE(state.Holds(TEnableRule::ChineseBands));
        EXPECT_FALSE(state.Holds(TEnableRule::FocusedNode));
        EXPECT_EQ(state.SubNodes, "1"); // the top-level nodes

        EXPECT_TRUE(state.Holds(TEnableRule::LanguageColumn));
        const TLexDocument noLanguages;
        EXPECT_FALSE(StateOf(&noLanguages).Holds(TEnableRule::LanguageColumn));

        state = StateOf(nullptr, 2);
        EXPECT_EQ(state.TotalNodes + state.SubNodes, "00");
        EXPECT_TRUE(state.Holds(TEnableRule::History));
        EXPECT_FALSE(state.Holds(TEnableRule::Editor));
    }
    FinalizeCodePageList();
}

} // namespace
} // namespace lex
