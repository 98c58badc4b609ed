#pragma once

#include <vector>

namespace lex {

class TLexTree;
class TTreeNode;
struct TLexColumn;

// One search hit: a node and its matching columns in grid column order.
struct TFoundNode {
    TTreeNode* Node = nullptr;
    std::vector<TLexColumn*> Columns;
};

// The hits of the last Find and the one shown (a hit and one of its
// columns). The list follows the document's deletions and undo steps, so
// that no hit points at something gone.
class TFoundNodes {
public:
    const std::vector<TFoundNode>& Nodes() const { return nodes_; }
    int Index() const { return index_; }
    int Column() const { return column_; }
    // The hit shown, or none when the position has run past the list.
    const TFoundNode* Current() const;

    void Assign(std::vector<TFoundNode> Nodes, int Index = 0, int Column = 0);
    // From the current hit to the next (previous) hit column; past the last
    // (first) it goes round to the first (last) and returns true.
    bool Step(bool Forward);

    // The hit-list rule of a deletion for every node of each root's subtree,
    // root after root, in tree order; a root may lie below a later one.
    void RemoveSubtrees(const std::vector<TTreeNode*>& Roots);
    void RemoveColumn(const TLexColumn* Column);
    // Hits on what an undo step took out of the tree go: the step may free it.
    void RemoveDetached(const TLexTree& Tree);

private:
    std::vector<TFoundNode> nodes_;
    int index_ = 0;
    int column_ = 0;
};

} // namespace lex
