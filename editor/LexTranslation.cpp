#include "editor/LexTranslation.h"

#include "editor/LexDocument.h"

namespace lex {

TColumnState::TColumnState(const TLexTree& Tree, const TLexColumn& Column)
    : tree_(Tree), column_(Column.Index()) {
    for (int c = 0; c < Tree.ColumnCount(); ++c) {
        const TLexBand* band = Tree.Column(c)->Band;
        if (band->Index() > 0 && band != Column.Band) others_.push_back(c);
    }
}

TCellState TColumnState::Of(const TTreeNode* Node) const {
    if (!tree_.Value(Node, column_).empty()) return TCellState::Translated;
    for (const int other : others_)
        if (!tree_.Value(Node, other).empty()) return TCellState::Untranslated;
    return TCellState::Idle;
}

TTranslationCounter::TTranslationCounter(TLexTree& Tree) : tree_(Tree) {
    tree_.AddObserver(this);
}

TTranslationCounter::~TTranslationCounter() {
    tree_.RemoveObserver(this);
}

TTranslationCount TTranslationCounter::Count(const TLexColumn& Column) {
    if (column_ != &Column) {
        column_ = &Column;
        state_.emplace(tree_, Column);
        count_ = {};
        for (const TTreeNode* node = tree_.FirstNode(); node;
             node = TLexTree::NextInTreeOrder(node))
            Add(node, 1);
    }
    return count_;
}

void TTranslationCounter::Add(const TTreeNode* Node, int Sign) {
    // Nodes an undo step holds out of the tree are no part of the count.
    if (!column_ || !TLexTree::IsAttached(Node)) return;
    switch (state_->Of(Node)) {
    case TCellState::Translated:
        count_.Translated += Sign;
        count_.Total += Sign;
        break;
    case TCellState::Untranslated:
        count_.Total += Sign;
        break;
    case TCellState::Idle:
        break;
    }
}

void TTranslationCounter::AddSubtree(const TTreeNode* Node, int Sign) {
    if (!column_) return;
    for (const TTreeNode* n = Node; n; n = TLexTree::NextInTreeOrder(n, Node))
        Add(n, Sign);
}

TShownChildren UntranslatedNodes(const TLexTree& Tree, const TLexColumn& Column) {
    const TColumnState state(Tree, Column);
    TShownChildren shown;
    // Each node is settled once its subtree is: shown when it is
    // untranslated or a child is shown. Siblings settle in order, so each
    // list is in tree order; a parent's list is looked up once, when its
    // first child is shown.
    struct TFrame {
        TTreeNode* Node;
        bool Shown;
        std::vector<TTreeNode*>* Children;
    };
    std::vector<TFrame> path;
    std::vector<TTreeNode*>* topLevel = nullptr;
    for (TTreeNode* node = Tree.FirstNode(); node;) {
        path.push_back({node, state.Of(node) == TCellState::Untranslated, nullptr});
        if (node->FirstChild()) {
            node = node->FirstChild();
            continue;
        }
        node = nullptr;
        while (!path.empty()) {
            const TFrame done = path.back();
            path.pop_back();
            if (done.Shown) {
                std::vector<TTreeNode*>*& list = path.empty() ? topLevel : path.back().Children;
                if (!list) list = &shown[done.Node->Parent()];
                list->push_back(done.Node);
                if (!path.empty()) path.back().Shown = true;
            }
            if ((node = done.Node->NextSibling())) break;
        }
    }
    return shown;
}

TSearchResult FindUntranslated(TLexDocument& Document, const TLexColumn& Column, bool Forward) {
    Document.PostEdit();
    TLexTree& tree = Document.Tree();
    const TColumnState state(tree, Column);
    const auto step = [Forward](const TTreeNode* Node) {
        return Forward ? TLexTree::NextInTreeOrder(Node) : TLexTree::PriorInTreeOrder(Node);
    };
    const auto untranslated = [&](const TTreeNode* Node) {
        return state.Of(Node) == TCellState::Untranslated;
    };
    TTreeNode* const start = tree.FocusedNode();
    TTreeNode* const first = Forward ? tree.FirstNode() : tree.LastInTreeOrder();
    TTreeNode* found = nullptr;
    for (TTreeNode* n = start ? step(start) : first; n && !found; n = step(n))
        if (untranslated(n)) found = n;
    bool wrapped = false;
    // From the other end round to the focused node, which may be the only one.
    for (TTreeNode* n = first; start && n && !found; n = n == start ? nullptr : step(n))
        if (untranslated(n)) {
            found = n;
            wrapped = true;
        }
    if (!found) return TSearchResult::NotFound;
    tree.ClearSelection();
    tree.SetFocusedNode(found);
    tree.Select(found);
    tree.SetFocusedColumn(Column.Index());
    tree.MakeVisible(found);
    return wrapped ? TSearchResult::Wrapped : TSearchResult::Found;
}

} // namespace lex
