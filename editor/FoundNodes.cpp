#include "editor/FoundNodes.h"

#include "editor/LexTree.h"
#include "editor/NodePositions.h"

#include <algorithm>

namespace lex {

namespace {

// Counts removals so that an entry's position in the shrinking list is its
// first position less the removals before it.
class RemovalCounter {
public:
    explicit RemovalCounter(size_t Size) : tree_(Size + 1, 0) {}
    void Remove(size_t Index) {
        for (size_t i = Index + 1; i < tree_.size(); i += i & (~i + 1))
            ++tree_[i];
    }
    size_t RemovedBefore(size_t Index) const {
        size_t sum = 0;
        for (size_t i = Index; i > 0; i -= i & (~i + 1))
            sum += tree_[i];
        return sum;
    }
    // The first position of the entry now at Position.
    size_t Original(size_t Position) const {
        size_t lo = Position, hi = tree_.size() - 2;
        while (lo < hi) {
            const size_t mid = (lo + hi) / 2;
            if (mid + 1 - RemovedBefore(mid + 1) > Position)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    }

private:
    std::vector<size_t> tree_;
};

} // namespace

const TFoundNode* TFoundNodes::Current() const {
    return index_ >= 0 && index_ < static_cast<int>(nodes_.size()) ? &nodes_[index_] : nullptr;
}

void TFoundNodes::Assign(std::vector<TFoundNode> Nodes, int Index, int Column) {
    nodes_ = std::move(Nodes);
    index_ = Index;
    column_ = Column;
}

bool TFoundNodes::Step(bool Forward) {
    const int hits = static_cast<int>(nodes_.size());
    const int last = static_cast<int>(nodes_[index_].Columns.size()) - 1;
    if (Forward ? column_ < last : column_ > 0) {
        column_ += Forward ? 1 : -1;
        return false;
    }
    const bool wrapped = Forward ? index_ == hits - 1 : index_ == 0;
    if (Forward)
        index_ = wrapped ? 0 : index_ + 1;
    else
        index_ = wrapped ? hits - 1 : index_ - 1;
    column_ = Forward ? 0 : static_cast<int>(nodes_[index_].Columns.size()) - 1;
    return wrapped;
}

void TFoundNodes::RemoveSubtrees(const std::vector<TTreeNode*>& Roots) {
    if (nodes_.empty()) return;
    // Each node has at most one hit; where an older list holds more, the last
    // one is the one that goes, as a search from the end would find it.
    TNodePositions hitOf(nodes_.size());
    for (size_t i = 0; i < nodes_.size(); ++i)
        hitOf.Set(nodes_[i].Node, static_cast<int>(i));
    RemovalCounter removed(nodes_.size());
    std::vector<char> gone(nodes_.size(), 0);
    for (const TTreeNode* root : Roots) {
        for (const TTreeNode* n = root; n; n = TLexTree::NextInTreeOrder(n, root)) {
            const int hit = hitOf.Find(n);
            // A root below a later one took its hits with it already.
            if (hit < 0 || gone[static_cast<size_t>(hit)]) continue;
            const auto original = static_cast<size_t>(hit);
            const size_t position = original - removed.RemovedBefore(original);
            if (static_cast<int>(position) == index_) {
                if (index_ == 0) {
                    column_ = 0;
                } else {
                    --index_;
                    const size_t current = removed.Original(static_cast<size_t>(index_));
                    column_ = static_cast<int>(nodes_[current].Columns.size()) - 1;
                }
            }
            removed.Remove(original);
            gone[original] = 1;
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (!gone[i]) nodes_[kept++] = std::move(nodes_[i]);
    nodes_.resize(kept);
}

void TFoundNodes::RemoveColumn(const TLexColumn* Column) {
    for (int i = static_cast<int>(nodes_.size()) - 1; i >= 0; --i) {
        auto& columns = nodes_[i].Columns;
        const auto it = std::find(columns.begin(), columns.end(), Column);
        if (it == columns.end()) continue;
        const int position = static_cast<int>(it - columns.begin());
        if (i == index_ && position == column_) {
            if (column_ > 0) {
                --column_;
            } else if (index_ > 0) {
                --index_;
                column_ = 0;
            }
        }
        columns.erase(it);
    }
}

void TFoundNodes::RemoveDetached(const TLexTree& Tree) {
    for (TFoundNode& hit : nodes_)
        std::erase_if(hit.Columns,
                      [&](const TLexColumn* Column) { return !Tree.IsAttached(Column); });
    std::erase_if(nodes_, [](const TFoundNode& Hit) {
        return Hit.Columns.empty() || !TLexTree::IsAttached(Hit.Node);
    });
    if (index_ >= static_cast<int>(nodes_.size()))
        index_ = std::max(0, static_cast<int>(nodes_.size()) - 1);
    if (index_ < static_cast<int>(nodes_.size()) &&
        column_ >= static_cast<int>(nodes_[index_].Columns.size()))
        column_ = 0;
}

} // namespace lex
