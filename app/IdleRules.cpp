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

    const int hits = static_cast<int>(e->FoundNodes().size());
    const int i = e->FoundIndex();
    const int j = e->FoundColumn();
    if (hits > 0 && i >= 0 && i < hits) {
        const int columns = static_cast<int>(e->FoundNodes()[i].Columns.size());
        state.FindNext = i < hits - 1 || (i == hits - 1 && j < columns - 1);
    }
    state.FindPrior = i > 0 || j > 0;

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
