#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace lex {

class TLexDocument;
class TLexTree;
class TTreeNode;
struct TLexBand;
struct TLexColumn;
struct TLexNode;

// One undoable step of a document: the changes one command made, in order,
// each with what it replaced. A step holds what changed, never a copy of the
// document: a cell's old text, the subtree a deletion took out of the tree
// (kept whole, so that pointers to its nodes stay valid while the step can
// bring it back), a column's cells when the column went. What a step holds
// outside the tree is freed with the step.
//
// The document stays free of Qt: it makes the steps and applies them; the
// window keeps them in its QUndoStack (see TLexDocument::SetUndoHistory).
class TLexUndoStep {
public:
    TLexUndoStep(TLexDocument& Document, std::string Name);
    ~TLexUndoStep();
    TLexUndoStep(const TLexUndoStep&) = delete;
    TLexUndoStep& operator=(const TLexUndoStep&) = delete;

    // The command's name, as its menu item says it ("Delete Node").
    const std::string& Name() const { return name_; }
    bool Empty() const { return changes_.empty(); }
    // Whether the step's changes are in the document (not undone).
    bool Done() const { return done_; }

private:
    friend class TLexTree;
    friend class TLexDocument;

    struct TCell {
        TTreeNode* Node;
        std::string Text;
    };
    struct TValueChange {
        TTreeNode* Node;
        TLexColumn* Column;
        std::string Old;
        std::string New;
    };
    struct TNodeAdded {
        TTreeNode* Node;
        TTreeNode* Parent; // the tree's hidden root for a top-level node
    };
    struct TNodeRemoved {
        TTreeNode* Node;
        TTreeNode* Parent;
        TTreeNode* After; // the sibling before it; none when it was first
    };
    struct TNodeMoved {
        TTreeNode* Node;
        TTreeNode* OldParent;
        TTreeNode* OldAfter;
        TTreeNode* NewParent; // made its last child
    };
    struct TParentKeyChange {
        TLexNode* Data;
        std::string Old;
        std::string New;
    };
    struct TColumnChange {
        bool Added;
        TLexColumn* Column;
        TLexBand* Band;
        int Position;                     // within the band
        std::unique_ptr<TLexColumn> Held; // while out of the tree
        std::vector<TCell> Cells;         // a deleted column's texts
    };
    struct TBandChange {
        bool Added;
        TLexBand* Band;
        int Index;
        std::unique_ptr<TLexBand> Held;
    };
    using TChange = std::variant<TValueChange, TNodeAdded, TNodeRemoved, TNodeMoved,
                                 TParentKeyChange, TColumnChange, TBandChange>;

    // Whether applying the step changes the tree's shape or columns; a step
    // of a few cells only tells the view cell by cell.
    bool Structural() const;
    void Apply(TLexTree& Tree, bool Forward);
    void Revert(TLexTree& Tree, TChange& Change);
    void Reapply(TLexTree& Tree, TChange& Change);

    TLexDocument& document_;
    std::string name_;
    std::vector<TChange> changes_;
    int nodeCountDelta_ = 0;
    bool structural_ = false;
    bool done_ = true;
};

} // namespace lex
