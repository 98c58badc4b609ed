// Find, Locate, Replace, and the hit list following deletions.
#include "editor/BandSearch.h"
#include "editor/LexDocument.h"
#include "editor/NodePositions.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LumoMultiLex.h"

#include <algorithm>
#include <optional>

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

void TLexDocument::ClearFoundNodes() {
    FFoundNodes.clear();
}

void TLexDocument::Find(std::u16string_view Text) {
    ClearFoundNodes();
    if (!Text.empty()) {
        // Each band has the text in its own code page, or has no hit.
        std::vector<TBandSearch> bands;
        bands.reserve(static_cast<size_t>(FTree.BandCount()));
        for (int b = 0; b < FTree.BandCount(); ++b)
            bands.emplace_back(Text, TextCodePage(*FTree.Band(b)), false);
        std::vector<const TBandSearch*> columns;
        for (int c = 0; c < FTree.ColumnCount(); ++c) {
            const TBandSearch& band = bands[static_cast<size_t>(FTree.Column(c)->Band->Index())];
            columns.push_back(band.Held() ? &band : nullptr);
        }
        for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
            TFoundNode* hit = nullptr;
            for (size_t c = 0; c < columns.size(); ++c) {
                if (!columns[c] || !columns[c]->Contains(FTree.Value(node, static_cast<int>(c))))
                    continue;
                if (!hit) hit = &FFoundNodes.emplace_back(TFoundNode{node, {}});
                hit->Columns.push_back(FTree.Column(static_cast<int>(c)));
            }
        }
    }
    FFoundIndex = FFoundColumn = 0;
    if (!FFoundNodes.empty()) ShowFoundNode();
}

bool TLexDocument::FindNext() {
    const int hits = static_cast<int>(FFoundNodes.size());
    if (FFoundIndex < 0 || FFoundIndex >= hits) return false;
    bool wrapped = false;
    if (FFoundColumn < static_cast<int>(FFoundNodes[FFoundIndex].Columns.size()) - 1) {
        ++FFoundColumn;
    } else {
        wrapped = FFoundIndex == hits - 1;
        FFoundIndex = wrapped ? 0 : FFoundIndex + 1;
        FFoundColumn = 0;
    }
    ShowFoundNode();
    return wrapped;
}

bool TLexDocument::FindPrior() {
    const int hits = static_cast<int>(FFoundNodes.size());
    if (FFoundIndex < 0 || FFoundIndex >= hits) return false;
    bool wrapped = false;
    if (FFoundColumn <= 0) {
        wrapped = FFoundIndex == 0;
        FFoundIndex = wrapped ? hits - 1 : FFoundIndex - 1;
        FFoundColumn = static_cast<int>(FFoundNodes[FFoundIndex].Columns.size()) - 1;
    } else {
        --FFoundColumn;
    }
    ShowFoundNode();
    return wrapped;
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

bool TLexDocument::Locate(std::u16string_view Text) {
    std::vector<TSameTextMatcher> bands;
    bands.reserve(static_cast<size_t>(FTree.BandCount()));
    for (int b = 0; b < FTree.BandCount(); ++b)
        bands.emplace_back(Text, TextCodePage(*FTree.Band(b)));
    const int columns = FTree.ColumnCount();
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        for (int c = 0; c < columns; ++c) {
            if (bands[static_cast<size_t>(FTree.Column(c)->Band->Index())](FTree.Value(node, c))) {
                FTree.SetFocusedNode(node);
                FTree.SetFocusedColumn(c);
                FTree.MakeVisible(node);
                return true;
            }
        }
    }
    return false;
}

int TLexDocument::ReplaceText(const TReplaceRequest& Request) {
    PostEdit();
    if (Request.Find.empty()) return 0;
    struct TColumnSearch {
        int Column;
        const TBandSearch* Search;
    };
    std::vector<std::unique_ptr<TBandSearch>> bands;
    std::vector<TColumnSearch> columns;
    for (const TLexBand* band : Request.Bands) {
        if (band->Index() == 0) continue; // keys are what programs look texts up by
        auto& search = bands.emplace_back(
            std::make_unique<TBandSearch>(Request.Find, TextCodePage(*band), Request.MatchCase));
        if (!search->Held()) continue;
        search->SetReplacement(Request.With);
        for (int i = 0; i < band->ColumnCount(); ++i)
            columns.push_back({band->Column(i)->Index(), search.get()});
    }
    // Every new text is made before any is stored, so that a refusal leaves
    // the document as it was.
    struct TChange {
        TTreeNode* Node;
        int Column;
        std::string Text;
    };
    std::vector<TChange> changes;
    int count = 0;
    std::string text;
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        for (const TColumnSearch& column : columns) {
            int replaced = 0;
            try {
                replaced = column.Search->Replace(FTree.Value(node, column.Column),
                                                  Request.WholeCell, text);
            } catch (const EConvertError& error) {
                LexMessageBox(window_, error.what(), "Error", MB_OK | MB_ICONERROR,
                              options_.CodePage, options_.SeqNo, GUILexName);
                throw EAbort();
            }
            if (replaced == 0) continue;
            count += replaced;
            changes.push_back({node, column.Column, std::move(text)});
        }
    }
    if (changes.empty()) return 0;
    const TUndoScope scope(*this, "Replace");
    std::optional<TLexTreeUpdate> batch;
    if (changes.size() > FineGrainedCells) batch.emplace(FTree);
    for (TChange& change : changes)
        FTree.SetValue(change.Node, change.Column, change.Text);
    FModified = true;
    return count;
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
