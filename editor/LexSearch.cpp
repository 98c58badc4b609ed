// Find, Locate and Replace over a document's cells.
#include "editor/LexSearch.h"

#include "editor/BandSearch.h"
#include "editor/LexDocument.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LumoMultiLex.h"

#include <memory>
#include <optional>

namespace lex {

void Find(TLexDocument& Document, std::u16string_view Text) {
    const TLexTree& tree = Document.Tree();
    std::vector<TFoundNode> hits;
    if (!Text.empty()) {
        // Each band has the text in its own code page, or has no hit.
        std::vector<TBandSearch> bands;
        bands.reserve(static_cast<size_t>(tree.BandCount()));
        for (int b = 0; b < tree.BandCount(); ++b)
            bands.emplace_back(Text, TLexDocument::TextCodePage(*tree.Band(b)), false);
        std::vector<const TBandSearch*> columns;
        for (int c = 0; c < tree.ColumnCount(); ++c) {
            const TBandSearch& band = bands[static_cast<size_t>(tree.Column(c)->Band->Index())];
            columns.push_back(band.Held() ? &band : nullptr);
        }
        for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
            TFoundNode* hit = nullptr;
            for (size_t c = 0; c < columns.size(); ++c) {
                if (!columns[c] || !columns[c]->Contains(tree.Value(node, static_cast<int>(c))))
                    continue;
                if (!hit) hit = &hits.emplace_back(TFoundNode{node, {}});
                hit->Columns.push_back(tree.Column(static_cast<int>(c)));
            }
        }
    }
    Document.Hits().Assign(std::move(hits));
    if (!Document.Hits().Nodes().empty()) ShowFoundNode(Document);
}

namespace {
bool StepHits(TLexDocument& Document, bool Forward) {
    if (!Document.Hits().Current()) return false;
    const bool wrapped = Document.Hits().Step(Forward);
    ShowFoundNode(Document);
    return wrapped;
}
} // namespace

bool FindNext(TLexDocument& Document) {
    return StepHits(Document, true);
}

bool FindPrior(TLexDocument& Document) {
    return StepHits(Document, false);
}

void ShowFoundNode(TLexDocument& Document) {
    // A hit may have lost its columns, and the position may have run past
    // the end after deletions: show what there is, never fail.
    const TFoundNodes& hits = Document.Hits();
    const TFoundNode* hit = hits.Current();
    if (!hit) return;
    TLexTree& tree = Document.Tree();
    tree.ClearSelection();
    tree.SetFocusedNode(hit->Node);
    tree.Select(hit->Node);
    tree.MakeVisible(hit->Node);
    if (hits.Column() >= 0 && hits.Column() < static_cast<int>(hit->Columns.size()))
        tree.SetFocusedColumn(hit->Columns[hits.Column()]->Index());
}

bool Locate(TLexDocument& Document, std::u16string_view Text) {
    TLexTree& tree = Document.Tree();
    std::vector<TSameTextMatcher> bands;
    bands.reserve(static_cast<size_t>(tree.BandCount()));
    for (int b = 0; b < tree.BandCount(); ++b)
        bands.emplace_back(Text, TLexDocument::TextCodePage(*tree.Band(b)));
    const int columns = tree.ColumnCount();
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        for (int c = 0; c < columns; ++c) {
            if (bands[static_cast<size_t>(tree.Column(c)->Band->Index())](tree.Value(node, c))) {
                tree.SetFocusedNode(node);
                tree.SetFocusedColumn(c);
                tree.MakeVisible(node);
                return true;
            }
        }
    }
    return false;
}

namespace {

struct TColumnSearch {
    int Column;
    const TBandSearch* Search;
};

// A new cell text, made before any is stored.
struct TCellChange {
    TTreeNode* Node;
    int Column;
    std::string Text;
};

// The replacements in every cell of Columns; a band that cannot hold the
// replacement is said and aborts (EAbort).
std::vector<TCellChange> Replacements(const TLexDocument& Document,
                                      const std::vector<TColumnSearch>& Columns, bool WholeCell,
                                      int& Count) {
    const TLexTree& tree = Document.Tree();
    const TLexEditorOptions& options = Document.Options();
    std::vector<TCellChange> changes;
    std::string text;
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        for (const TColumnSearch& column : Columns) {
            int replaced = 0;
            try {
                replaced = column.Search->Replace(tree.Value(node, column.Column), WholeCell, text);
            } catch (const EConvertError& error) {
                LexMessageBox(Document.Window(), error.what(), "Error", MB_OK | MB_ICONERROR,
                              options.CodePage, options.SeqNo, GUILexName);
                throw EAbort();
            }
            if (replaced == 0) continue;
            Count += replaced;
            changes.push_back({node, column.Column, std::move(text)});
        }
    }
    return changes;
}

} // namespace

int ReplaceText(TLexDocument& Document, const TReplaceRequest& Request) {
    Document.PostEdit();
    if (Request.Find.empty()) return 0;
    std::vector<std::unique_ptr<TBandSearch>> bands;
    std::vector<TColumnSearch> columns;
    for (const TLexBand* band : Request.Bands) {
        if (band->Index() == 0) continue; // keys are what programs look texts up by
        auto& search = bands.emplace_back(std::make_unique<TBandSearch>(
            Request.Find, TLexDocument::TextCodePage(*band), Request.MatchCase));
        if (!search->Held()) continue;
        search->SetReplacement(Request.With);
        for (int i = 0; i < band->ColumnCount(); ++i)
            columns.push_back({band->Column(i)->Index(), search.get()});
    }
    // Every new text is made before any is stored, so that a refusal leaves
    // the document as it was.
    int count = 0;
    std::vector<TCellChange> changes = Replacements(Document, columns, Request.WholeCell, count);
    if (changes.empty()) return 0;
    const TLexDocument::TUndoScope scope(Document, "Replace");
    TLexTree& tree = Document.Tree();
    std::optional<TLexTreeUpdate> batch;
    if (changes.size() > FineGrainedCells) batch.emplace(tree);
    for (TCellChange& change : changes)
        tree.SetValue(change.Node, change.Column, change.Text);
    Document.MarkModified(true);
    return count;
}

} // namespace lex
