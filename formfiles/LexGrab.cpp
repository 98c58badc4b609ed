#include "formfiles/LexGrab.h"

#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "platform/TextCompare.h"

#include <unordered_map>

namespace lex {

namespace {

enum { KeyField, CodePageIndex, SeqNoIndex, DisplayIndex, CatalogIndex };

// The sorted lists of the grab are look-ups only, so each is a hash map over
// equality keys: equal exactly when the comparison says equal.
template <typename Value>
class TCollatedIndex {
public:
    explicit TCollatedIndex(bool CaseSensitive) : caseSensitive_(CaseSensitive) {}
    Value Find(std::string_view Text) const {
        const auto found = map_.find(AnsiEqualityKey(Text, caseSensitive_));
        return found == map_.end() ? Value{} : found->second;
    }
    // Keeps the first entry of equal texts.
    void Add(std::string_view Text, Value Entry) {
        map_.emplace(AnsiEqualityKey(Text, caseSensitive_), Entry);
    }
    void Set(std::string_view Text, Value Entry) {
        map_.insert_or_assign(AnsiEqualityKey(Text, caseSensitive_), Entry);
    }
    void Remove(std::string_view Text, Value Entry) {
        const auto found = map_.find(AnsiEqualityKey(Text, caseSensitive_));
        if (found != map_.end() && found->second == Entry) map_.erase(found);
    }

private:
    bool caseSensitive_;
    std::unordered_map<std::string, Value> map_;
};

std::string ColumnName(std::string_view CodePage, std::string_view SeqNo) {
    std::string name(CodePage);
    name += '\t';
    name += SeqNo;
    return name;
}

// Walks the reader from where it stands, with the fields found and checked.
template <typename Visit>
void WalkRecords(const TLexDocument& Document, ILexReader& Reader,
                 const TLexProgressEvent& OnProgress, Visit VisitRecord) {
    const TRecordFields fields = LocateRecordFields(Reader);
    CheckRecordFields(fields, Document.Window(), Document.Options());
    std::string_view values[5];
    for (; !Reader.Eof(); Reader.Next()) {
        ReportProgress(OnProgress, LexFraction(Reader.RecNo(), Reader.RecordCount()));
        for (std::string_view& value : values)
            value = {};
        ReadRecordFields(Reader, fields, values);
        VisitRecord(values);
    }
}

} // namespace

TGrabCounts GrabByKey(TLexDocument& Document, ILexReader& Reader,
                      const TLexProgressEvent& OnProgress) {
    Document.PostEdit();
    TLexTree& tree = Document.Tree();
    TLexTreeUpdate update(tree);
    const TLexDocument::TUndoScope step(Document, "Grab Data From Dictionary");
    TGrabCounts counts;

    TCollatedIndex<TTreeNode*> keys(Document.Options().CaseSensitive);
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        keys.Add(Document.Key(node), node);
    TCollatedIndex<TLexBand*> bands(false);
    for (int i = 1; i < tree.BandCount(); ++i)
        bands.Add(TLexDocument::BandCodePage(*tree.Band(i)), tree.Band(i));
    TCollatedIndex<TLexColumn*> columns(false);
    for (int i = 1; i < tree.ColumnCount(); ++i) {
        const TLexColumn* column = tree.Column(i);
        columns.Add(ColumnName(TLexDocument::BandCodePage(*column->Band), column->Caption),
                    tree.Column(i));
    }

    WalkRecords(Document, Reader, OnProgress, [&](const std::string_view(&Values)[5]) {
        if (Values[DisplayIndex].empty()) return;
        TTreeNode* node = keys.Find(Values[KeyField]);
        if (!node) return;
        const std::string name = ColumnName(Values[CodePageIndex], Values[SeqNoIndex]);
        TLexColumn* column = columns.Find(name);
        if (!column) {
            TLexBand* band = bands.Find(Values[CodePageIndex]);
            if (!band) {
                band = Document.AddLanguageBand(Values[CodePageIndex]);
                bands.Add(Values[CodePageIndex], band);
            }
            column = Document.AddSequenceColumn(band, Values[SeqNoIndex]);
            columns.Add(name, column);
        }
        if (!tree.Value(node, column->Index()).empty()) return;
        Document.SetNodeValue(node, column->Index(), Values[DisplayIndex]);
        ++counts.Changed;
    });

    for (int i = tree.BandCount() - 1; i >= 1; --i)
        Document.SpreadBandColumns(tree.Band(i));
    return counts;
}

TGrabCounts GrabByDisplayValue(TLexDocument& Document, ILexReader& Reader, TLexBand& Band,
                               const TLexProgressEvent& OnProgress) {
    Document.PostEdit();
    TLexTree& tree = Document.Tree();
    TLexTreeUpdate update(tree);
    const TLexDocument::TUndoScope step(Document, "Grab Data From Dictionary");
    TGrabCounts counts;

    const bool caseSensitive = Document.Options().CaseSensitive;
    TCollatedIndex<TTreeNode*> values(caseSensitive);
    TCollatedIndex<TTreeNode*> keys(caseSensitive);
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        keys.Add(Document.Key(node), node);
        for (int i = 0; i < Band.ColumnCount(); ++i) {
            const std::string_view value = tree.Value(node, Band.Column(i)->Index());
            if (!value.empty()) values.Add(value, node);
        }
    }
    const std::string codePage = TLexDocument::BandCodePage(Band);

    WalkRecords(Document, Reader, OnProgress, [&](const std::string_view(&Values)[5]) {
        if (Values[DisplayIndex].empty() ||
            Document.CompareLexText(Values[CodePageIndex], codePage) != 0)
            return;
        TTreeNode* node = values.Find(Values[DisplayIndex]);
        if (!node) return;
        const std::string_view newKey = Values[KeyField];
        const TTreeNode* owner = keys.Find(newKey);
        if (owner && owner != node) {
            ++counts.KeyConflicts;
            return;
        }
        if (Document.Key(node) == newKey) return;
        keys.Remove(Document.Key(node), node);
        Document.SetNodeKey(node, newKey);
        keys.Set(newKey, node);
        ++counts.Changed;
    });
    return counts;
}

} // namespace lex
