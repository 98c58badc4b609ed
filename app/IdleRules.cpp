#include "app/IdleRules.h"

#include "editor/LexDocument.h"

namespace lex {

TIdleState ComputeIdleState(const TIdleInput& Input) {
    TIdleState state;
    const auto set = [&state](TEnableRule Rule, bool Holds) {
        state.Holding.set(static_cast<std::size_t>(Rule), Holds);
    };
    set(TEnableRule::History, Input.HistoryCount > 0);
    set(TEnableRule::AnyWindow, Input.WindowCount > 0);
    set(TEnableRule::Cut, Input.Edit.Cut);
    set(TEnableRule::Copy, Input.Edit.Copy);
    set(TEnableRule::Paste, Input.Edit.Paste);
    set(TEnableRule::Undo, Input.Edit.Undo);
    set(TEnableRule::Redo, Input.Edit.Redo);
    const TLexDocument* e = Input.Editor;
    if (!e) {
        state.TotalNodes = state.SubNodes = "0";
        return state;
    }
    const TLexTree& tree = e->Tree();
    const TTreeNode* focused = tree.FocusedNode();
    const bool anyNode = focused || tree.SelectionCount() > 0;

    set(TEnableRule::Editor, true);
    set(TEnableRule::Maximized, Input.EditorMaximized);
    set(TEnableRule::SearchText, !Input.SearchTextEmpty);
    // Past the last hit Find Next goes round to the first, and Find Prior
    // the other way.
    set(TEnableRule::Hits, !e->Hits().Nodes().empty());
    set(TEnableRule::LanguageColumn, tree.ColumnCount() > 1);
    set(TEnableRule::Modified, e->Modified());
    set(TEnableRule::FocusedNode, focused != nullptr);
    set(TEnableRule::AnyNode, anyNode);
    // A Chinese band left without columns has nothing to convert from or to.
    const auto hasColumns = [](const TLexBand* Band) { return Band && Band->ColumnCount() > 0; };
    set(TEnableRule::ChineseBands, hasColumns(e->Band936()) && hasColumns(e->Band950()) && anyNode);

    state.TotalNodes = std::to_string(e->NodeCount());
    state.SubNodes = std::to_string(focused ? focused->Count() : tree.Count());
    return state;
}

} // namespace lex
