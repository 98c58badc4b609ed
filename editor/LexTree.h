#pragma once

#include "editor/EditorStyle.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

struct TCodePageNode;
class TLexTree;
class TLexUndoStep;

// The editor's per-node record, owned by the editor and reached through the
// node's data pointer.
struct TLexNode {
    std::string ParentKey;
};

// One row of the tree: a key with one value slot per column. Children form an
// intrusive list, so moving a node under another costs O(1) however many
// siblings it has.
class TTreeNode {
public:
    TTreeNode* Parent() const; // none for a top-level node
    TTreeNode* FirstChild() const { return firstChild_; }
    TTreeNode* LastChild() const { return lastChild_; }
    TTreeNode* NextSibling() const { return next_; }
    TTreeNode* PrevSibling() const { return prev_; }
    int Count() const { return childCount_; }
    int Index() const; // position among its siblings
    bool HasAsAncestor(const TTreeNode* Node) const;
    bool Selected() const { return selected_; }

    TLexNode* Data = nullptr;
    int ImageIndex = -1;
    int SelectedIndex = -1;

private:
    friend class TLexTree;
    friend class TLexUndoStep;
    TTreeNode* parent_ = nullptr; // the tree's hidden root for top-level nodes
    TTreeNode* firstChild_ = nullptr;
    TTreeNode* lastChild_ = nullptr;
    TTreeNode* next_ = nullptr;
    TTreeNode* prev_ = nullptr;
    int childCount_ = 0;
    mutable int index_ = 0;
    mutable bool childIndexValid_ = true;
    bool selected_ = false;
    bool isRoot_ = false;
    uint32_t valueCount_ = 0;
    std::string_view* values_ =
        nullptr; // by slot, in the tree's arena; slots past the count read as empty
};

// Memory handed out in large blocks and given back all at once: the nodes'
// values and their slot arrays, so that a million cells cost a few hundred
// allocations rather than one each. Space a value gives up stays taken until
// the tree is cleared.
class TTreeArena {
public:
    std::string_view Copy(std::string_view Text);
    template <typename Type>
    Type* Allocate(size_t Count) {
        return static_cast<Type*>(Allocate(Count * sizeof(Type), alignof(Type)));
    }
    void Clear();

private:
    void* Allocate(size_t Size, size_t Align);

    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    size_t left_ = 0;
};

enum class TAlignment { Left, Center, Right };

// A band of columns: band 0 holds the key column; every other band is one
// language (CodePageNode set when the catalogue knows its code page).
struct TLexBand;

struct TLexColumn {
    TLexBand* Band = nullptr;
    std::string Caption;
    int Width = 200;
    TAlignment HeaderAlignment = TAlignment::Left;
    TEditorStyle PopupStyle = TEditorStyle::Simple;

    int Index() const { return index_; } // the value slot as the grid addresses it
    int Position() const;                // within its band

private:
    friend class TLexTree;
    int index_ = 0;
    int slot_ = 0;
};

struct TLexBand {
    std::string Caption;
    int Width = 200;
    bool Fixed = false;
    const TCodePageNode* CodePageNode = nullptr;

    int Index() const { return index_; }
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TLexColumn* Column(int Position) const { return columns_[Position]; }

private:
    friend class TLexTree;
    friend struct TLexColumn;
    int index_ = 0;
    std::vector<TLexColumn*> columns_; // by position
};

// Told of changes so that a view can follow. Inside a batch (TLexTreeUpdate)
// the fine-grained calls are replaced by one reset around it.
class ILexTreeObserver {
public:
    virtual ~ILexTreeObserver() = default;
    virtual void BeginReset() {}
    virtual void EndReset() {}
    virtual void NodeAboutToBeAdded(TTreeNode* /*Parent*/, int /*Row*/) {}
    virtual void NodeAdded(TTreeNode* /*Node*/) {}
    virtual void NodeAboutToBeRemoved(TTreeNode* /*Node*/) {}
    virtual void NodeRemoved() {}
    virtual void NodeAboutToMove(TTreeNode* /*Node*/, TTreeNode* /*NewParent*/) {}
    virtual void NodeMoved(TTreeNode* /*Node*/) {}
    virtual void ValueAboutToChange(TTreeNode* /*Node*/, int /*ColumnIndex*/) {}
    virtual void ValueChanged(TTreeNode* /*Node*/, int /*ColumnIndex*/) {}
    virtual void ColumnsChanged() {}
    virtual void FocusChanged() {}
    virtual void SelectionChanged() {}
    virtual void EditingChanged() {}
    // The node is to be brought into view: its ancestors expanded, scrolled to.
    virtual void NodeMadeVisible(TTreeNode* /*Node*/) {}
};

// The tree-list grid's model: nodes with value slots, bands and columns,
// focus, selection in selection order, in-place edit state, batched updates.
class TLexTree {
public:
    TLexTree();
    ~TLexTree();
    TLexTree(const TLexTree&) = delete;
    TLexTree& operator=(const TLexTree&) = delete;

    void AddObserver(ILexTreeObserver* Observer);
    void RemoveObserver(ILexTreeObserver* Observer);

    // Nodes.
    TTreeNode* AddNode(TTreeNode* Parent); // appended as the last child; none = top level
    int Count() const { return root_.Count(); }
    TTreeNode* FirstNode() const { return root_.FirstChild(); }
    TTreeNode* LastNode() const { return root_.LastChild(); }
    // Makes Node the last child of Target (none = top level). The tested
    // form refuses a missing target and a target inside the node's subtree.
    bool MoveNode(TTreeNode* Node, TTreeNode* Target, bool Test);
    void DeleteNode(TTreeNode* Node); // with its subtree
    void Clear();
    int SubtreeSize(const TTreeNode* Node) const;
    // Whether Node is Root or lies below it.
    static bool IsInSubtree(const TTreeNode* Node, const TTreeNode* Root);
    // The node after Node in tree order (each node before its children).
    static TTreeNode* NextInTreeOrder(const TTreeNode* Node);
    static TTreeNode* NextInTreeOrder(const TTreeNode* Node, const TTreeNode* SubtreeRoot);
    // The node before Node in tree order, and the last node of all.
    static TTreeNode* PriorInTreeOrder(const TTreeNode* Node);
    TTreeNode* LastInTreeOrder() const;

    // Values by column index.
    std::string_view Value(const TTreeNode* Node, int ColumnIndex) const;
    void SetValue(TTreeNode* Node, int ColumnIndex, std::string_view Text);

    // Bands and columns.
    TLexBand* AddBand();
    void DeleteBand(TLexBand* Band); // its columns go with it
    int BandCount() const { return static_cast<int>(bands_.size()); }
    TLexBand* Band(int Index) const { return bands_[Index].get(); }
    // Inserts a column into Band at Position, and into the grid's column
    // order after the band column before it; a band's first column goes
    // after the columns of the bands before it, so the grid's columns stay
    // in band order also when a band has lost all of its columns.
    TLexColumn* AddColumn(TLexBand* Band, int Position);
    void DeleteColumn(TLexColumn* Column); // its values go with it
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    TLexColumn* Column(int Index) const { return columns_[Index]; }
    void ColumnsChanged(); // after changing captions, widths or fonts

    // Focus and selection.
    TTreeNode* FocusedNode() const { return focused_; }
    void SetFocusedNode(TTreeNode* Node);
    int FocusedColumn() const { return focusedColumn_; }
    void SetFocusedColumn(int ColumnIndex);
    int SelectionCount() const { return static_cast<int>(Selection().size()); }
    TTreeNode* SelectedNode(int Index) const { return Selection()[Index]; }
    void ClearSelection();
    void Select(TTreeNode* Node); // adds to the selection, last in selection order
    void MakeVisible(TTreeNode* Node);

    // In-place editing of the focused cell.
    bool Editing() const { return editing_; }
    const std::string& EditText() const { return editText_; }
    void ShowEditor(); // opens on the focused cell with its text
    void SetEditText(std::string Text);
    void CloseEditor(); // ends the edit without storing (the caller stores)

    // While a step records, the changes above go into it, and deleted nodes,
    // columns and bands are kept by the step instead of freed.
    TLexUndoStep* RecordingStep() const { return recording_; }
    void SetRecordingStep(TLexUndoStep* Step) { recording_ = Step; }
    // Whether Node is in the tree rather than held by an undo step.
    static bool IsAttached(const TTreeNode* Node);
    bool IsAttached(const TLexColumn* Column) const;
    // Gives a detached subtree's nodes back to the pool.
    void FreeSubtree(TTreeNode* Node);

private:
    friend class TLexTreeUpdate;
    friend class TLexUndoStep;
    // Links Node under Parent (the hidden root for none) after After, or
    // first when After is none.
    void AttachNode(TTreeNode* Node, TTreeNode* Parent, TTreeNode* After);
    void DetachNode(TTreeNode* Node);
    void LinkAfter(TTreeNode* Node, TTreeNode* Parent, TTreeNode* After);
    void AttachColumn(std::unique_ptr<TLexColumn> Column, int Position);
    std::unique_ptr<TLexColumn> DetachColumn(TLexColumn* Column);
    void AttachBand(std::unique_ptr<TLexBand> Band, int Index);
    std::unique_ptr<TLexBand> DetachBand(TLexBand* Band);
    void BeginUpdate();
    void EndUpdate();
    void Unlink(TTreeNode* Node);
    void Link(TTreeNode* Node, TTreeNode* Parent);
    // The selection without the nodes deleted since it was last read: a
    // deletion only unmarks them, so deleting many selected nodes stays linear.
    const std::vector<TTreeNode*>& Selection() const;
    void Renumber();
    // Gives Node room for Count values, keeping those it has.
    void GrowValues(TTreeNode* Node, size_t Count);
    template <typename Callback>
    void Notify(Callback Call);

    TTreeNode root_;
    std::deque<TTreeNode> nodePool_;
    TTreeArena arena_;
    std::vector<TTreeNode*> freeNodes_;
    std::vector<std::unique_ptr<TLexBand>> bands_;
    std::vector<std::unique_ptr<TLexColumn>> columnStore_;
    std::vector<TLexColumn*> columns_; // grid order
    std::vector<int> freeSlots_;
    int nextSlot_ = 0;
    TTreeNode* focused_ = nullptr;
    int focusedColumn_ = 0;
    mutable std::vector<TTreeNode*> selection_;
    mutable bool selectionStale_ = false;
    bool editing_ = false;
    std::string editText_;
    int updateDepth_ = 0;
    std::vector<ILexTreeObserver*> observers_;
    TLexUndoStep* recording_ = nullptr;
};

// Up to this many cell changes of one command are told to the observers
// one by one; more, or any change of shape, go in one batch.
constexpr size_t FineGrainedCells = 64;

// A batch of tree changes, ended on every way out: observers see one reset
// around it. Batches nest; the outermost one resets.
class TLexTreeUpdate {
public:
    explicit TLexTreeUpdate(TLexTree& Tree) : tree_(Tree) { tree_.BeginUpdate(); }
    ~TLexTreeUpdate() { tree_.EndUpdate(); }
    TLexTreeUpdate(const TLexTreeUpdate&) = delete;
    TLexTreeUpdate& operator=(const TLexTreeUpdate&) = delete;

private:
    TLexTree& tree_;
};

} // namespace lex
