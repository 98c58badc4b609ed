#include "app/IdleRules.h"

#include "editor/LexDocument.h"

namespace lex {

TIdleState ComputeIdleState(const TIdleInput& Input) {
    TIdleState state;
    state.HistoryFile = Input.HistoryCount > 0;
    const TLexDocument* e = Input.Editor;
    if (!e) {
        state.TotalNodes = state.SubNodes = "0";
        return state;
    }
    const TLexTree& tree = e->Tree();
    const TTreeNode* focused = tree.FocusedNode();
    const bool anyNode = focused || tree.SelectionCount() > 0;

    state.Min = Input.EditorMaximized;
    state.NewNode = true;
    state.Locate = !Input.SearchTextEmpty;

    // Past the last hit Find Next goes round to the first, and Find Prior
    // the other way.
    state.FindNext = !e->Hits().Nodes().empty();
    state.Untranslated = tree.ColumnCount() > 1;

    state.Save = e->Modified();
    state.NewSubNode = focused != nullptr;
    state.ExportNode = anyNode;
    // A Chinese band left without columns has nothing to convert from or to.
    const auto hasColumns = [](const TLexBand* Band) { return Band && Band->ColumnCount() > 0; };
    state.GB = hasColumns(e->Band936()) && hasColumns(e->Band950()) && anyNode;

    state.TotalNodes = std::to_string(e->NodeCount());
    state.SubNodes = std::to_string(focused ? focused->Count() : tree.Count());
    return state;
}

} // namespace lex
