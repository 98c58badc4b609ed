// Find, Locate, and the hit list following deletions.
#include "editor/LexDocument.h"
#include "editor/NodePositions.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <array>

namespace lex {

namespace {

// Find ignores the case of the Latin letters a-z only; every other byte,
// including those inside double-byte characters, compares exactly.
constexpr std::array<unsigned char, 256> UpperTable = [] {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return table;
}();

bool ContainsUpper(std::string_view Text, std::string_view Pattern) {
    if (Pattern.size() > Text.size()) return false;
    const auto* t = reinterpret_cast<const unsigned char*>(Text.data());
    const auto* p = reinterpret_cast<const unsigned char*>(Pattern.data());
    const size_t last = Text.size() - Pattern.size();
    for (size_t i = 0; i <= last; ++i) {
        if (UpperTable[t[i]] != p[0]) continue;
        size_t k = 1;
        while (k < Pattern.size() && UpperTable[t[i + k]] == p[k])
            ++k;
        if (k == Pattern.size()) return true;
    }
    return false;
}

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

void TLexDocument::ClearFoundNodes() {
    FFoundNodes.clear();
}

void TLexDocument::Find(std::string_view Text) {
    std::string pattern(Text);
    for (char& c : pattern)
        c = static_cast<char>(UpperTable[static_cast<unsigned char>(c)]);
    ClearFoundNodes();
    const int columns = FTree.ColumnCount();
    if (!pattern.empty()) {
        for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
            TFoundNode* hit = nullptr;
            for (int c = 0; c < columns; ++c) {
                if (!ContainsUpper(FTree.Value(node, c), pattern)) continue;
                if (!hit) hit = &FFoundNodes.emplace_back(TFoundNode{node, {}});
                hit->Columns.push_back(FTree.Column(c));
            }
        }
    }
    FFoundIndex = FFoundColumn = 0;
    if (!FFoundNodes.empty()) ShowFoundNode();
}

void TLexDocument::FindNext() {
    if (FFoundIndex < 0 || FFoundIndex >= static_cast<int>(FFoundNodes.size())) return;
    if (FFoundColumn < static_cast<int>(FFoundNodes[FFoundIndex].Columns.size()) - 1) {
        ++FFoundColumn;
    } else {
        ++FFoundIndex;
        FFoundColumn = 0;
    }
    ShowFoundNode();
}

void TLexDocument::FindPrior() {
    if (FFoundColumn <= 0) {
        if (FFoundIndex > 0) --FFoundIndex;
        if (FFoundIndex < static_cast<int>(FFoundNodes.size()))
            FFoundColumn = static_cast<int>(FFoundNodes[FFoundIndex].Columns.size()) - 1;
    } else {
        --FFoundColumn;
    }
    ShowFoundNode();
}

void TLexDocument::ShowFoundNode() {
    // A hit may have lost its columns, and the position may have run past
    // the end after deletions: show what there is, never fail.
    if (FFoundIndex < 0 || FFoundIndex >= static_cast<int>(FFoundNodes.size())) return;
    const TFoundNode& hit = FFoundNodes[FFoundIndex];
    FTree.ClearSelection();
    FTree.SetFocusedNode(hit.Node);
    FTree.Select(hit.Node);
    FTree.MakeVisible(hit.Node);
    if (FFoundColumn >= 0 && FFoundColumn < static_cast<int>(hit.Columns.size()))
        FTree.SetFocusedColumn(hit.Columns[FFoundColumn]->Index());
}

bool TLexDocument::Locate(std::string_view Text) {
    const int columns = FTree.ColumnCount();
    const TSameTextMatcher sameText(Text);
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        for (int c = 0; c < columns; ++c) {
            if (sameText(FTree.Value(node, c))) {
                FTree.SetFocusedNode(node);
                FTree.SetFocusedColumn(c);
                FTree.MakeVisible(node);
                return true;
            }
        }
    }
    return false;
}

void TLexDocument::RemoveHitsOfSubtrees(const std::vector<TTreeNode*>& Roots) {
    if (FFoundNodes.empty()) return;
    // Each node has at most one hit; where an older list holds more, the last
    // one is the one that goes, as a search from the end would find it.
    TNodePositions hitOf(FFoundNodes.size());
    for (size_t i = 0; i < FFoundNodes.size(); ++i)
        hitOf.Set(FFoundNodes[i].Node, static_cast<int>(i));
    RemovalCounter removed(FFoundNodes.size());
    std::vector<char> gone(FFoundNodes.size(), 0);
    for (const TTreeNode* root : Roots) {
        for (const TTreeNode* n = root; n; n = TLexTree::NextInTreeOrder(n, root)) {
            const int hit = hitOf.Find(n);
            // A root below a later one took its hits with it already.
            if (hit < 0 || gone[static_cast<size_t>(hit)]) continue;
            const auto original = static_cast<size_t>(hit);
            const size_t position = original - removed.RemovedBefore(original);
            if (static_cast<int>(position) == FFoundIndex) {
                if (FFoundIndex == 0) {
                    FFoundColumn = 0;
                } else {
                    --FFoundIndex;
                    const size_t current = removed.Original(static_cast<size_t>(FFoundIndex));
                    FFoundColumn = static_cast<int>(FFoundNodes[current].Columns.size()) - 1;
                }
            }
            removed.Remove(original);
            gone[original] = 1;
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < FFoundNodes.size(); ++i)
        if (!gone[i]) FFoundNodes[kept++] = std::move(FFoundNodes[i]);
    FFoundNodes.resize(kept);
}

void TLexDocument::RemoveColumnFromHits(TLexColumn* Column) {
    for (int i = static_cast<int>(FFoundNodes.size()) - 1; i >= 0; --i) {
        auto& columns = FFoundNodes[i].Columns;
        const auto it = std::find(columns.begin(), columns.end(), Column);
        if (it == columns.end()) continue;
        const int position = static_cast<int>(it - columns.begin());
        if (i == FFoundIndex && position == FFoundColumn) {
            if (FFoundColumn > 0) {
                --FFoundColumn;
            } else if (FFoundIndex > 0) {
                --FFoundIndex;
                FFoundColumn = 0;
            }
        }
        columns.erase(it);
    }
}

} // namespace lex
