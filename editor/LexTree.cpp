#include "editor/LexTree.h"

#include <algorithm>

namespace lex {

TTreeNode* TTreeNode::Parent() const {
    return parent_ && !parent_->isRoot_ ? parent_ : nullptr;
}

int TTreeNode::Index() const {
    if (!parent_->childIndexValid_) {
        int i = 0;
        for (TTreeNode* child = parent_->firstChild_; child; child = child->next_)
            child->index_ = i++;
        parent_->childIndexValid_ = true;
    }
    return index_;
}

bool TTreeNode::HasAsAncestor(const TTreeNode* Node) const {
    for (const TTreeNode* up = Parent(); up; up = up->Parent())
        if (up == Node) return true;
    return false;
}

int TLexColumn::Position() const {
    const auto& columns = Band->columns_;
    return static_cast<int>(std::find(columns.begin(), columns.end(), this) - columns.begin());
}

TLexTree::TLexTree() {
    root_.isRoot_ = true;
}

TLexTree::~TLexTree() = default;

void TLexTree::AddObserver(ILexTreeObserver* Observer) {
    observers_.push_back(Observer);
}

void TLexTree::RemoveObserver(ILexTreeObserver* Observer) {
    std::erase(observers_, Observer);
}

template <typename Callback>
void TLexTree::Notify(Callback Call) {
    if (updateDepth_ == 0)
        for (ILexTreeObserver* observer : observers_)
            Call(*observer);
}

void TLexTree::BeginUpdate() {
    if (updateDepth_++ == 0)
        for (ILexTreeObserver* observer : observers_)
            observer->BeginReset();
}

void TLexTree::EndUpdate() {
    if (--updateDepth_ == 0)
        for (ILexTreeObserver* observer : observers_)
            observer->EndReset();
}

void TLexTree::Link(TTreeNode* Node, TTreeNode* Parent) {
    Node->parent_ = Parent;
    Node->prev_ = Parent->lastChild_;
    Node->next_ = nullptr;
    if (Parent->lastChild_)
        Parent->lastChild_->next_ = Node;
    else
        Parent->firstChild_ = Node;
    Parent->lastChild_ = Node;
    Node->index_ = Parent->childCount_++;
}

void TLexTree::Unlink(TTreeNode* Node) {
    TTreeNode* parent = Node->parent_;
    (Node->prev_ ? Node->prev_->next_ : parent->firstChild_) = Node->next_;
    (Node->next_ ? Node->next_->prev_ : parent->lastChild_) = Node->prev_;
    if (Node->next_) parent->childIndexValid_ = false;
    --parent->childCount_;
    Node->prev_ = Node->next_ = nullptr;
}

TTreeNode* TLexTree::AddNode(TTreeNode* Parent) {
    TTreeNode* owner = Parent ? Parent : &root_;
    Notify([&](ILexTreeObserver& Observer) {
        Observer.NodeAboutToBeAdded(Parent, owner->childCount_);
    });
    TTreeNode* node;
    if (!freeNodes_.empty()) {
        node = freeNodes_.back();
        freeNodes_.pop_back();
        *node = TTreeNode();
    } else {
        node = &nodePool_.emplace_back();
    }
    Link(node, owner);
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAdded(node); });
    return node;
}

bool TLexTree::MoveNode(TTreeNode* Node, TTreeNode* Target, bool Test) {
    if (Test && (!Target || Target == Node || Target->HasAsAncestor(Node))) return false;
    TTreeNode* parent = Target ? Target : &root_;
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAboutToMove(Node, Target); });
    Unlink(Node);
    Link(Node, parent);
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeMoved(Node); });
    return true;
}

TTreeNode* TLexTree::NextInTreeOrder(const TTreeNode* Node) {
    return NextInTreeOrder(Node, nullptr);
}

TTreeNode* TLexTree::NextInTreeOrder(const TTreeNode* Node, const TTreeNode* SubtreeRoot) {
    if (Node->firstChild_) return Node->firstChild_;
    for (; Node && Node != SubtreeRoot && !Node->isRoot_; Node = Node->parent_)
        if (Node->next_) return Node->next_;
    return nullptr;
}

int TLexTree::SubtreeSize(const TTreeNode* Node) const {
    int size = 0;
    for (const TTreeNode* n = Node; n; n = NextInTreeOrder(n, Node))
        ++size;
    return size;
}

bool TLexTree::IsInSubtree(const TTreeNode* Node, const TTreeNode* Root) {
    // Walks up from the node and through the subtree in turn and stops with
    // whichever ends first, so neither a deep node nor a big subtree makes
    // the answer expensive on its own.
    const TTreeNode* up = Node;
    const TTreeNode* down = Root;
    for (;;) {
        if (up == Root || down == Node) return true;
        up = up->Parent();
        down = NextInTreeOrder(down, Root);
        if (!up || !down) return false;
    }
}

void TLexTree::DeleteNode(TTreeNode* Node) {
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAboutToBeRemoved(Node); });
    const bool hadFocus = focused_ && (focused_ == Node || focused_->HasAsAncestor(Node));
    if (hadFocus && editing_) CloseEditor();
    Unlink(Node);
    // Iterative, so a deep subtree cannot exhaust the stack.
    std::vector<TTreeNode*> pending{Node};
    while (!pending.empty()) {
        TTreeNode* n = pending.back();
        pending.pop_back();
        for (TTreeNode* child = n->firstChild_; child; child = child->next_)
            pending.push_back(child);
        if (focused_ == n) focused_ = nullptr;
        if (n->selected_) {
            n->selected_ = false;
            selectionStale_ = true;
        }
        n->values_.clear();
        n->firstChild_ = n->lastChild_ = nullptr;
        n->parent_ = nullptr;
        freeNodes_.push_back(n);
    }
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeRemoved(); });
    if (hadFocus) Notify([&](ILexTreeObserver& Observer) { Observer.FocusChanged(); });
}

void TLexTree::Clear() {
    const TLexTreeUpdate update(*this);
    root_ = TTreeNode();
    root_.isRoot_ = true;
    nodePool_.clear();
    freeNodes_.clear();
    focused_ = nullptr;
    selection_.clear();
    selectionStale_ = false;
    editing_ = false;
}

std::string_view TLexTree::Value(const TTreeNode* Node, int ColumnIndex) const {
    const size_t slot = static_cast<size_t>(columns_[ColumnIndex]->slot_);
    return slot < Node->values_.size() ? std::string_view(Node->values_[slot]) : std::string_view();
}

void TLexTree::SetValue(TTreeNode* Node, int ColumnIndex, std::string_view Text) {
    const size_t slot = static_cast<size_t>(columns_[ColumnIndex]->slot_);
    if (slot >= Node->values_.size()) {
        if (Text.empty()) return;
        // Room for every column at once: a node's values grow only once.
        // Text may be one of the node's own values, which the growth moves.
        std::string copy(Text);
        Node->values_.resize(std::max(slot + 1, static_cast<size_t>(nextSlot_)));
        Node->values_[slot] = std::move(copy);
    } else {
        Node->values_[slot] = Text;
    }
    Notify([&](ILexTreeObserver& Observer) { Observer.ValueChanged(Node, ColumnIndex); });
}

void TLexTree::Renumber() {
    for (size_t i = 0; i < bands_.size(); ++i)
        bands_[i]->index_ = static_cast<int>(i);
    for (size_t i = 0; i < columns_.size(); ++i)
        columns_[i]->index_ = static_cast<int>(i);
}

TLexBand* TLexTree::AddBand() {
    bands_.push_back(std::make_unique<TLexBand>());
    Renumber();
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
    return bands_.back().get();
}

void TLexTree::DeleteBand(TLexBand* Band) {
    const TLexTreeUpdate update(*this);
    while (!Band->columns_.empty())
        DeleteColumn(Band->columns_.back());
    std::erase_if(bands_, [&](const auto& Owned) { return Owned.get() == Band; });
    Renumber();
}

TLexColumn* TLexTree::AddColumn(TLexBand* Band, int Position) {
    auto& owned = columnStore_.emplace_back(std::make_unique<TLexColumn>());
    TLexColumn* column = owned.get();
    column->Band = Band;
    if (!freeSlots_.empty()) {
        column->slot_ = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        column->slot_ = nextSlot_++;
    }
    auto& bandColumns = Band->columns_;
    Position = std::clamp(Position, 0, static_cast<int>(bandColumns.size()));
    // The grid's columns stand band by band: a band's first column goes
    // after the columns of the bands before it.
    const TLexColumn* before = nullptr; // the column the new one follows
    if (Position > 0) {
        before = bandColumns[Position - 1];
    } else {
        for (int b = Band->index_ - 1; b >= 0 && !before; --b)
            if (!bands_[b]->columns_.empty()) before = bands_[b]->columns_.back();
    }
    const auto gridPosition =
        before ? std::find(columns_.begin(), columns_.end(), before) + 1 : columns_.begin();
    columns_.insert(gridPosition, column);
    bandColumns.insert(bandColumns.begin() + Position, column);
    Renumber();
    if (focusedColumn_ >= column->index_ && focusedColumn_ + 1 < ColumnCount()) ++focusedColumn_;
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
    return column;
}

void TLexTree::DeleteColumn(TLexColumn* Column) {
    const int index = Column->index_;
    const size_t slot = static_cast<size_t>(Column->slot_);
    // The slot may be given to a later column: it must start out empty.
    for (TTreeNode& node : nodePool_)
        if (slot < node.values_.size()) node.values_[slot].clear();
    if (editing_ && focusedColumn_ == index) CloseEditor();
    std::erase(Column->Band->columns_, Column);
    std::erase(columns_, Column);
    freeSlots_.push_back(static_cast<int>(slot));
    std::erase_if(columnStore_, [&](const auto& Owned) { return Owned.get() == Column; });
    Renumber();
    if (focusedColumn_ > index || focusedColumn_ >= ColumnCount())
        focusedColumn_ = std::max(0, focusedColumn_ - 1);
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
}

void TLexTree::ColumnsChanged() {
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
}

void TLexTree::SetFocusedNode(TTreeNode* Node) {
    if (focused_ == Node) return;
    focused_ = Node;
    Notify([](ILexTreeObserver& Observer) { Observer.FocusChanged(); });
}

void TLexTree::SetFocusedColumn(int ColumnIndex) {
    if (focusedColumn_ == ColumnIndex) return;
    focusedColumn_ = ColumnIndex;
    Notify([](ILexTreeObserver& Observer) { Observer.FocusChanged(); });
}

const std::vector<TTreeNode*>& TLexTree::Selection() const {
    // A deleted node may be reused before this runs, but only Select marks a
    // node again, and it reads the selection first.
    if (selectionStale_) {
        std::erase_if(selection_, [](const TTreeNode* Node) { return !Node->selected_; });
        selectionStale_ = false;
    }
    return selection_;
}

void TLexTree::ClearSelection() {
    for (TTreeNode* node : Selection())
        node->selected_ = false;
    selection_.clear();
    Notify([](ILexTreeObserver& Observer) { Observer.SelectionChanged(); });
}

void TLexTree::Select(TTreeNode* Node) {
    if (Node->selected_) return;
    Selection();
    Node->selected_ = true;
    selection_.push_back(Node);
    Notify([](ILexTreeObserver& Observer) { Observer.SelectionChanged(); });
}

void TLexTree::MakeVisible(TTreeNode* Node) {
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeMadeVisible(Node); });
}

void TLexTree::ShowEditor() {
    if (!focused_ || focusedColumn_ >= ColumnCount()) return;
    editing_ = true;
    editText_ = Value(focused_, focusedColumn_);
    Notify([](ILexTreeObserver& Observer) { Observer.EditingChanged(); });
}

void TLexTree::SetEditText(std::string Text) {
    editText_ = std::move(Text);
}

void TLexTree::CloseEditor() {
    if (!editing_) return;
    editing_ = false;
    Notify([](ILexTreeObserver& Observer) { Observer.EditingChanged(); });
}

} // namespace lex
