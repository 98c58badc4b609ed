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

bool TTreeNode::HasAsAncestor(const TTreeNode* node) const {
    for (const TTreeNode* up = Parent(); up; up = up->Parent())
        if (up == node) return true;
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

void TLexTree::AddObserver(ILexTreeObserver* observer) {
    observers_.push_back(observer);
}

void TLexTree::RemoveObserver(ILexTreeObserver* observer) {
    std::erase(observers_, observer);
}

template <typename Call>
void TLexTree::Notify(Call call) {
    if (updateDepth_ == 0)
        for (ILexTreeObserver* observer : observers_)
            call(*observer);
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

void TLexTree::Link(TTreeNode* node, TTreeNode* parent) {
    node->parent_ = parent;
    node->prev_ = parent->lastChild_;
    node->next_ = nullptr;
    if (parent->lastChild_)
        parent->lastChild_->next_ = node;
    else
        parent->firstChild_ = node;
    parent->lastChild_ = node;
    node->index_ = parent->childCount_++;
}

void TLexTree::Unlink(TTreeNode* node) {
    TTreeNode* parent = node->parent_;
    (node->prev_ ? node->prev_->next_ : parent->firstChild_) = node->next_;
    (node->next_ ? node->next_->prev_ : parent->lastChild_) = node->prev_;
    if (node->next_) parent->childIndexValid_ = false;
    --parent->childCount_;
    node->prev_ = node->next_ = nullptr;
}

TTreeNode* TLexTree::AddNode(TTreeNode* parent) {
    TTreeNode* owner = parent ? parent : &root_;
    Notify([&](ILexTreeObserver& o) { o.NodeAboutToBeAdded(parent, owner->childCount_); });
    TTreeNode* node;
    if (!freeNodes_.empty()) {
        node = freeNodes_.back();
        freeNodes_.pop_back();
        *node = TTreeNode();
    } else {
        node = &nodePool_.emplace_back();
    }
    Link(node, owner);
    Notify([&](ILexTreeObserver& o) { o.NodeAdded(node); });
    return node;
}

bool TLexTree::MoveNode(TTreeNode* node, TTreeNode* target, bool test) {
    if (test && (!target || target == node || target->HasAsAncestor(node))) return false;
    TTreeNode* parent = target ? target : &root_;
    Notify([&](ILexTreeObserver& o) { o.NodeAboutToMove(node, target); });
    Unlink(node);
    Link(node, parent);
    Notify([&](ILexTreeObserver& o) { o.NodeMoved(node); });
    return true;
}

TTreeNode* TLexTree::NextInTreeOrder(const TTreeNode* node) {
    return NextInTreeOrder(node, nullptr);
}

TTreeNode* TLexTree::NextInTreeOrder(const TTreeNode* node, const TTreeNode* subtreeRoot) {
    if (node->firstChild_) return node->firstChild_;
    for (; node && node != subtreeRoot && !node->isRoot_; node = node->parent_)
        if (node->next_) return node->next_;
    return nullptr;
}

int TLexTree::SubtreeSize(const TTreeNode* node) const {
    int size = 0;
    for (const TTreeNode* n = node; n; n = NextInTreeOrder(n, node))
        ++size;
    return size;
}

bool TLexTree::IsInSubtree(const TTreeNode* node, const TTreeNode* root) {
    // Walks up from the node and through the subtree in turn and stops with
    // whichever ends first, so neither a deep node nor a big subtree makes
    // the answer expensive on its own.
    const TTreeNode* up = node;
    const TTreeNode* down = root;
    for (;;) {
        if (up == root || down == node) return true;
        up = up->Parent();
        down = NextInTreeOrder(down, root);
        if (!up || !down) return false;
    }
}

void TLexTree::DeleteNode(TTreeNode* node) {
    Notify([&](ILexTreeObserver& o) { o.NodeAboutToBeRemoved(node); });
    const bool hadFocus = focused_ && (focused_ == node || focused_->HasAsAncestor(node));
    if (hadFocus && editing_) CloseEditor();
    Unlink(node);
    // Iterative, so a deep subtree cannot exhaust the stack.
    std::vector<TTreeNode*> pending{node};
    while (!pending.empty()) {
        TTreeNode* n = pending.back();
        pending.pop_back();
        for (TTreeNode* child = n->firstChild_; child; child = child->next_)
            pending.push_back(child);
        if (focused_ == n) focused_ = nullptr;
        if (visible_ == n) visible_ = nullptr;
        if (n->selected_) {
            n->selected_ = false;
            selectionStale_ = true;
        }
        n->values_.clear();
        n->firstChild_ = n->lastChild_ = nullptr;
        n->parent_ = nullptr;
        freeNodes_.push_back(n);
    }
    Notify([&](ILexTreeObserver& o) { o.NodeRemoved(); });
    if (hadFocus) Notify([&](ILexTreeObserver& o) { o.FocusChanged(); });
}

void TLexTree::Clear() {
    const TLexTreeUpdate update(*this);
    root_ = TTreeNode();
    root_.isRoot_ = true;
    nodePool_.clear();
    freeNodes_.clear();
    focused_ = visible_ = nullptr;
    selection_.clear();
    selectionStale_ = false;
    editing_ = false;
}

std::string_view TLexTree::Value(const TTreeNode* node, int columnIndex) const {
    const size_t slot = static_cast<size_t>(columns_[columnIndex]->slot_);
    return slot < node->values_.size() ? std::string_view(node->values_[slot]) : std::string_view();
}

void TLexTree::SetValue(TTreeNode* node, int columnIndex, std::string_view text) {
    const size_t slot = static_cast<size_t>(columns_[columnIndex]->slot_);
    if (slot >= node->values_.size()) {
        if (text.empty()) return;
        // Room for every column at once: a node's values grow only once.
        node->values_.resize(std::max(slot + 1, static_cast<size_t>(nextSlot_)));
    }
    node->values_[slot] = text;
    Notify([&](ILexTreeObserver& o) { o.ValueChanged(node, columnIndex); });
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
    Notify([](ILexTreeObserver& o) { o.ColumnsChanged(); });
    return bands_.back().get();
}

void TLexTree::DeleteBand(TLexBand* band) {
    const TLexTreeUpdate update(*this);
    while (!band->columns_.empty())
        DeleteColumn(band->columns_.back());
    std::erase_if(bands_, [&](const auto& b) { return b.get() == band; });
    Renumber();
}

TLexColumn* TLexTree::AddColumn(TLexBand* band, int position) {
    auto& owned = columnStore_.emplace_back(std::make_unique<TLexColumn>());
    TLexColumn* column = owned.get();
    column->Band = band;
    if (!freeSlots_.empty()) {
        column->slot_ = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        column->slot_ = nextSlot_++;
    }
    auto& bandColumns = band->columns_;
    position = std::clamp(position, 0, static_cast<int>(bandColumns.size()));
    // The grid's columns stand band by band: a band's first column goes
    // after the columns of the bands before it.
    const TLexColumn* before = nullptr; // the column the new one follows
    if (position > 0) {
        before = bandColumns[position - 1];
    } else {
        for (int b = band->index_ - 1; b >= 0 && !before; --b)
            if (!bands_[b]->columns_.empty()) before = bands_[b]->columns_.back();
    }
    const auto gridPosition =
        before ? std::find(columns_.begin(), columns_.end(), before) + 1 : columns_.begin();
    columns_.insert(gridPosition, column);
    bandColumns.insert(bandColumns.begin() + position, column);
    Renumber();
    if (focusedColumn_ >= column->index_ && focusedColumn_ + 1 < ColumnCount()) ++focusedColumn_;
    Notify([](ILexTreeObserver& o) { o.ColumnsChanged(); });
    return column;
}

void TLexTree::DeleteColumn(TLexColumn* column) {
    const int index = column->index_;
    const size_t slot = static_cast<size_t>(column->slot_);
    // The slot may be given to a later column: it must start out empty.
    for (TTreeNode& node : nodePool_)
        if (slot < node.values_.size()) node.values_[slot].clear();
    if (editing_ && focusedColumn_ == index) CloseEditor();
    std::erase(column->Band->columns_, column);
    std::erase(columns_, column);
    freeSlots_.push_back(static_cast<int>(slot));
    std::erase_if(columnStore_, [&](const auto& c) { return c.get() == column; });
    Renumber();
    if (focusedColumn_ > index || focusedColumn_ >= ColumnCount())
        focusedColumn_ = std::max(0, focusedColumn_ - 1);
    Notify([](ILexTreeObserver& o) { o.ColumnsChanged(); });
}

void TLexTree::ColumnsChanged() {
    Notify([](ILexTreeObserver& o) { o.ColumnsChanged(); });
}

void TLexTree::SetFocusedNode(TTreeNode* node) {
    if (focused_ == node) return;
    focused_ = node;
    Notify([](ILexTreeObserver& o) { o.FocusChanged(); });
}

void TLexTree::SetFocusedColumn(int columnIndex) {
    if (focusedColumn_ == columnIndex) return;
    focusedColumn_ = columnIndex;
    Notify([](ILexTreeObserver& o) { o.FocusChanged(); });
}

const std::vector<TTreeNode*>& TLexTree::Selection() const {
    // A deleted node may be reused before this runs, but only Select marks a
    // node again, and it reads the selection first.
    if (selectionStale_) {
        std::erase_if(selection_, [](const TTreeNode* node) { return !node->selected_; });
        selectionStale_ = false;
    }
    return selection_;
}

void TLexTree::ClearSelection() {
    for (TTreeNode* node : Selection())
        node->selected_ = false;
    selection_.clear();
    Notify([](ILexTreeObserver& o) { o.SelectionChanged(); });
}

void TLexTree::Select(TTreeNode* node) {
    if (node->selected_) return;
    Selection();
    node->selected_ = true;
    selection_.push_back(node);
    Notify([](ILexTreeObserver& o) { o.SelectionChanged(); });
}

void TLexTree::MakeVisible(TTreeNode* node) {
    visible_ = node;
}

void TLexTree::ShowEditor() {
    if (!focused_ || focusedColumn_ >= ColumnCount()) return;
    editing_ = true;
    editText_ = Value(focused_, focusedColumn_);
    Notify([](ILexTreeObserver& o) { o.EditingChanged(); });
}

void TLexTree::SetEditText(std::string text) {
    editText_ = std::move(text);
}

void TLexTree::CloseEditor() {
    if (!editing_) return;
    editing_ = false;
    Notify([](ILexTreeObserver& o) { o.EditingChanged(); });
}

} // namespace lex
