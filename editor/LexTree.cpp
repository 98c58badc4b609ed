#include "editor/LexTree.h"

#include "editor/LexUndo.h"

#include <algorithm>
#include <memory>

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
    LinkAfter(Node, Parent, Parent->lastChild_);
}

void TLexTree::LinkAfter(TTreeNode* Node, TTreeNode* Parent, TTreeNode* After) {
    Node->parent_ = Parent;
    Node->prev_ = After;
    Node->next_ = After ? After->next_ : Parent->firstChild_;
    (After ? After->next_ : Parent->firstChild_) = Node;
    (Node->next_ ? Node->next_->prev_ : Parent->lastChild_) = Node;
    if (Node->next_)
        Parent->childIndexValid_ = false;
    else
        Node->index_ = Parent->childCount_;
    ++Parent->childCount_;
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
    if (recording_) recording_->changes_.emplace_back(TLexUndoStep::TNodeAdded{node, owner});
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAdded(node); });
    return node;
}

bool TLexTree::MoveNode(TTreeNode* Node, TTreeNode* Target, bool Test) {
    if (Test && (!Target || Target == Node || Target->HasAsAncestor(Node))) return false;
    TTreeNode* parent = Target ? Target : &root_;
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAboutToMove(Node, Target); });
    if (recording_)
        recording_->changes_.emplace_back(
            TLexUndoStep::TNodeMoved{Node, Node->parent_, Node->prev_, parent});
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

namespace {
TTreeNode* LastBelow(TTreeNode* Node) {
    while (Node && Node->LastChild())
        Node = Node->LastChild();
    return Node;
}
} // namespace

TTreeNode* TLexTree::PriorInTreeOrder(const TTreeNode* Node) {
    return Node->PrevSibling() ? LastBelow(Node->PrevSibling()) : Node->Parent();
}

TTreeNode* TLexTree::LastInTreeOrder() const {
    return LastBelow(root_.LastChild());
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
    if (recording_)
        recording_->changes_.emplace_back(
            TLexUndoStep::TNodeRemoved{Node, Node->parent_, Node->prev_});
    DetachNode(Node);
    if (!recording_) FreeSubtree(Node);
}

void TLexTree::DetachNode(TTreeNode* Node) {
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAboutToBeRemoved(Node); });
    const bool hadFocus = focused_ && (focused_ == Node || focused_->HasAsAncestor(Node));
    if (hadFocus && editing_) CloseEditor();
    Unlink(Node);
    Node->parent_ = nullptr;
    if (hadFocus) focused_ = nullptr;
    for (TTreeNode* n = Node; n; n = NextInTreeOrder(n, Node)) {
        if (n->selected_) {
            n->selected_ = false;
            selectionStale_ = true;
        }
    }
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeRemoved(); });
    if (hadFocus) Notify([&](ILexTreeObserver& Observer) { Observer.FocusChanged(); });
}

void TLexTree::AttachNode(TTreeNode* Node, TTreeNode* Parent, TTreeNode* After) {
    const int row = After ? After->Index() + 1 : 0;
    Notify([&](ILexTreeObserver& Observer) {
        Observer.NodeAboutToBeAdded(Parent->isRoot_ ? nullptr : Parent, row);
    });
    LinkAfter(Node, Parent, After);
    Notify([&](ILexTreeObserver& Observer) { Observer.NodeAdded(Node); });
}

void TLexTree::FreeSubtree(TTreeNode* Node) {
    // Iterative, so a deep subtree cannot exhaust the stack.
    std::vector<TTreeNode*> pending{Node};
    while (!pending.empty()) {
        TTreeNode* n = pending.back();
        pending.pop_back();
        for (TTreeNode* child = n->firstChild_; child; child = child->next_)
            pending.push_back(child);
        n->values_ = nullptr;
        n->valueCount_ = 0;
        n->firstChild_ = n->lastChild_ = nullptr;
        n->parent_ = nullptr;
        freeNodes_.push_back(n);
    }
}

bool TLexTree::IsAttached(const TTreeNode* Node) {
    while (Node->parent_ && !Node->parent_->isRoot_)
        Node = Node->parent_;
    return Node->parent_ != nullptr;
}

bool TLexTree::IsAttached(const TLexColumn* Column) const {
    return Column->index_ < ColumnCount() && columns_[Column->index_] == Column;
}

void TLexTree::Clear() {
    const TLexTreeUpdate update(*this);
    root_ = TTreeNode();
    root_.isRoot_ = true;
    nodePool_.clear();
    freeNodes_.clear();
    arena_.Clear();
    focused_ = nullptr;
    selection_.clear();
    selectionStale_ = false;
    editing_ = false;
}

namespace {
// An empty value points at this rather than at null: readers hand values to
// memcpy, which must not be given null even for no bytes.
constexpr std::string_view NoValue = "";
} // namespace

std::string_view TTreeArena::Copy(std::string_view Text) {
    if (Text.empty()) return NoValue;
    char* bytes = static_cast<char*>(Allocate(Text.size(), 1));
    std::copy(Text.begin(), Text.end(), bytes);
    return {bytes, Text.size()};
}

void* TTreeArena::Allocate(size_t Size, size_t Align) {
    constexpr size_t BlockSize = size_t{1} << 20;
    size_t pad = -reinterpret_cast<uintptr_t>(next_) & (Align - 1);
    if (pad + Size > left_) {
        left_ = std::max(BlockSize, Size + Align);
        next_ = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(left_)).get();
        pad = -reinterpret_cast<uintptr_t>(next_) & (Align - 1);
    }
    void* memory = next_ + pad;
    next_ += pad + Size;
    left_ -= pad + Size;
    return memory;
}

void TTreeArena::Clear() {
    blocks_.clear();
    next_ = nullptr;
    left_ = 0;
}

std::string_view TLexTree::Value(const TTreeNode* Node, int ColumnIndex) const {
    const size_t slot = static_cast<size_t>(columns_[ColumnIndex]->slot_);
    return slot < Node->valueCount_ ? Node->values_[slot] : NoValue;
}

void TLexTree::GrowValues(TTreeNode* Node, size_t Count) {
    std::string_view* values = arena_.Allocate<std::string_view>(Count);
    std::uninitialized_fill_n(values, Count, NoValue);
    std::copy_n(Node->values_, Node->valueCount_, values);
    Node->values_ = values;
    Node->valueCount_ = static_cast<uint32_t>(Count);
}

void TLexTree::SetValue(TTreeNode* Node, int ColumnIndex, std::string_view Text) {
    const size_t slot = static_cast<size_t>(columns_[ColumnIndex]->slot_);
    if (slot >= Node->valueCount_ && Text.empty()) return;
    Notify([&](ILexTreeObserver& Observer) { Observer.ValueAboutToChange(Node, ColumnIndex); });
    // Text may be one of the tree's own values: the arena never moves them.
    const std::string_view copy = arena_.Copy(Text);
    // Room for every column at once: a node's values grow only once.
    if (slot >= Node->valueCount_)
        GrowValues(Node, std::max(slot + 1, static_cast<size_t>(nextSlot_)));
    if (recording_)
        recording_->changes_.emplace_back(TLexUndoStep::TValueChange{
            Node, columns_[ColumnIndex], std::string(Node->values_[slot]), std::string(copy)});
    Node->values_[slot] = copy;
    Notify([&](ILexTreeObserver& Observer) { Observer.ValueChanged(Node, ColumnIndex); });
}

void TLexTree::Renumber() {
    for (size_t i = 0; i < bands_.size(); ++i)
        bands_[i]->index_ = static_cast<int>(i);
    for (size_t i = 0; i < columns_.size(); ++i)
        columns_[i]->index_ = static_cast<int>(i);
}

TLexBand* TLexTree::AddBand() {
    TLexBand* band = bands_.emplace_back(std::make_unique<TLexBand>()).get();
    Renumber();
    if (recording_)
        recording_->changes_.emplace_back(
            TLexUndoStep::TBandChange{true, band, band->index_, nullptr});
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
    return band;
}

void TLexTree::DeleteBand(TLexBand* Band) {
    const TLexTreeUpdate update(*this);
    while (!Band->columns_.empty())
        DeleteColumn(Band->columns_.back());
    const int index = Band->index_;
    std::unique_ptr<TLexBand> held = DetachBand(Band);
    if (recording_)
        recording_->changes_.emplace_back(
            TLexUndoStep::TBandChange{false, Band, index, std::move(held)});
}

void TLexTree::AttachBand(std::unique_ptr<TLexBand> Band, int Index) {
    bands_.insert(bands_.begin() + Index, std::move(Band));
    Renumber();
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
}

std::unique_ptr<TLexBand> TLexTree::DetachBand(TLexBand* Band) {
    auto owned = std::find_if(bands_.begin(), bands_.end(),
                              [&](const auto& Owned) { return Owned.get() == Band; });
    std::unique_ptr<TLexBand> held = std::move(*owned);
    bands_.erase(owned);
    Renumber();
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
    return held;
}

TLexColumn* TLexTree::AddColumn(TLexBand* Band, int Position) {
    auto owned = std::make_unique<TLexColumn>();
    TLexColumn* column = owned.get();
    column->Band = Band;
    Position = std::clamp(Position, 0, Band->ColumnCount());
    AttachColumn(std::move(owned), Position);
    if (recording_)
        recording_->changes_.emplace_back(
            TLexUndoStep::TColumnChange{true, column, Band, Position, nullptr, {}});
    return column;
}

void TLexTree::AttachColumn(std::unique_ptr<TLexColumn> Column, int Position) {
    TLexColumn* column = columnStore_.emplace_back(std::move(Column)).get();
    TLexBand* band = column->Band;
    if (!freeSlots_.empty()) {
        column->slot_ = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        column->slot_ = nextSlot_++;
    }
    auto& bandColumns = band->columns_;
    // The grid's columns stand band by band: a band's first column goes
    // after the columns of the bands before it.
    const TLexColumn* before = nullptr; // the column the new one follows
    if (Position > 0) {
        before = bandColumns[Position - 1];
    } else {
        for (int b = band->index_ - 1; b >= 0 && !before; --b)
            if (!bands_[b]->columns_.empty()) before = bands_[b]->columns_.back();
    }
    const auto gridPosition =
        before ? std::find(columns_.begin(), columns_.end(), before) + 1 : columns_.begin();
    columns_.insert(gridPosition, column);
    bandColumns.insert(bandColumns.begin() + Position, column);
    Renumber();
    if (focusedColumn_ >= column->index_ && focusedColumn_ + 1 < ColumnCount()) ++focusedColumn_;
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
}

void TLexTree::DeleteColumn(TLexColumn* Column) {
    std::vector<TLexUndoStep::TCell> cells;
    if (recording_) {
        const size_t slot = static_cast<size_t>(Column->slot_);
        for (TTreeNode& node : nodePool_)
            if (slot < node.valueCount_ && !node.values_[slot].empty())
                cells.push_back({&node, std::string(node.values_[slot])});
    }
    TLexBand* band = Column->Band;
    const int position = Column->Position();
    std::unique_ptr<TLexColumn> held = DetachColumn(Column);
    if (recording_)
        recording_->changes_.emplace_back(TLexUndoStep::TColumnChange{
            false, Column, band, position, std::move(held), std::move(cells)});
}

std::unique_ptr<TLexColumn> TLexTree::DetachColumn(TLexColumn* Column) {
    const int index = Column->index_;
    const size_t slot = static_cast<size_t>(Column->slot_);
    // The slot may be given to a later column: it must start out empty.
    for (TTreeNode& node : nodePool_)
        if (slot < node.valueCount_) node.values_[slot] = NoValue;
    if (editing_ && focusedColumn_ == index) CloseEditor();
    std::erase(Column->Band->columns_, Column);
    std::erase(columns_, Column);
    freeSlots_.push_back(static_cast<int>(slot));
    auto owned = std::find_if(columnStore_.begin(), columnStore_.end(),
                              [&](const auto& Owned) { return Owned.get() == Column; });
    std::unique_ptr<TLexColumn> held = std::move(*owned);
    columnStore_.erase(owned);
    Renumber();
    if (focusedColumn_ > index || focusedColumn_ >= ColumnCount())
        focusedColumn_ = std::max(0, focusedColumn_ - 1);
    Notify([](ILexTreeObserver& Observer) { Observer.ColumnsChanged(); });
    return held;
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
