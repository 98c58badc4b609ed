// Loading and merging records into the document: one record loop shared by
// every source, then the parent keys build the tree.
#include "editor/LexDocument.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"

#include <algorithm>
#include <unordered_map>

namespace lex {

namespace {

constexpr std::string_view RecordFieldNames[5] = {LexKeyField, CodePageField, SeqNoField,
                                                  DisplayValueField, CatalogIDField};
enum { KeyField, CodePageIndex, SeqNoIndex, DisplayIndex, CatalogIndex };

// Puts a recurring text's collation key in front of a map look-up: records
// of one key usually follow each other, so most records skip the collator.
class SortKeyCache {
public:
    explicit SortKeyCache(bool caseSensitive) : caseSensitive_(caseSensitive) {}
    const std::string& operator()(std::string_view text) {
        if (!valid_ || text != text_) {
            text_ = text;
            key_ = AnsiSortKey(text, caseSensitive_);
            valid_ = true;
        }
        return key_;
    }

private:
    bool caseSensitive_;
    bool valid_ = false;
    std::string text_;
    std::string key_;
};

} // namespace

// The key list: every node under its key, compared the way CompareLexText
// compares. Entries are found through their collation keys in a hash map,
// and listed in collation order when the hierarchy is built.
class TLexDocument::KeyList {
public:
    explicit KeyList(bool caseSensitive) : caseSensitive(caseSensitive) {}

    // Inserts unless an equal key is there; returns the node under the key.
    TTreeNode* Insert(std::string sortKey, TTreeNode* node) {
        return nodes.try_emplace(std::move(sortKey), node).first->second;
    }
    TTreeNode* Find(const std::string& sortKey) const {
        const auto it = nodes.find(sortKey);
        return it == nodes.end() ? nullptr : it->second;
    }
    std::vector<std::pair<std::string_view, TTreeNode*>> Sorted() const {
        std::vector<std::pair<std::string_view, TTreeNode*>> entries(nodes.begin(), nodes.end());
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return entries;
    }
    size_t Size() const { return nodes.size(); }

    const bool caseSensitive;

private:
    std::unordered_map<std::string, TTreeNode*> nodes;
};

TRecordFields LocateRecordFields(const ILexReader& Reader) {
    TRecordFields fields;
    for (int role = 0; role < 5; ++role)
        fields.Index[role] = FindFieldIndex(Reader, RecordFieldNames[role]);
    return fields;
}

void CheckRecordFields(const TRecordFields& Fields, TWindowHandle Owner,
                       const TLexEditorOptions& Options) {
    std::string_view missing;
    if (Fields.Index[KeyField] < 0)
        missing = LexKeyField;
    else if (Fields.Index[CodePageIndex] >= 0 && Fields.Index[DisplayIndex] < 0)
        missing = DisplayValueField;
    if (missing.empty()) return;
    LexMessageBoxFmt(Owner, "Field \"%s\" not found!", "Error", MB_OK | MB_ICONERROR,
                     Options.CodePage, {missing}, {}, Options.SeqNo, "Lex_GUI");
    throw EAbort();
}

std::unique_ptr<TCustomStreamLexReader>
TLexDocument::CreateFileReader(const std::string& FileName) {
    return OpenLexFile(FileName);
}

void TLexDocument::OpenFile(const std::string& FileName, const TLexProgressEvent& OnProgress) {
    Caption = FileName;
    FFileName = FileName;
    const auto reader = CreateFileReader(FileName);
    LoadFromReader(*reader, OnProgress);
    NotifyFileUsed(FileName);
}

void TLexDocument::ImportFile(const std::string& FileName, const TLexProgressEvent& OnProgress) {
    const auto reader = CreateFileReader(FileName);
    MergeFromReader(*reader, OnProgress);
    NotifyFileUsed(FileName);
}

namespace {
// Ends a batch of tree changes on every way out.
class UpdateScope {
public:
    explicit UpdateScope(TLexTree& tree) : tree_(tree) { tree_.BeginUpdate(); }
    ~UpdateScope() { tree_.EndUpdate(); }

private:
    TLexTree& tree_;
};

void FocusFirstNode(TLexTree& tree) {
    if (TTreeNode* focused = tree.FocusedNode()) tree.MakeVisible(focused);
    if (TTreeNode* first = tree.FirstNode()) tree.SetFocusedNode(first);
}
} // namespace

void TLexDocument::LoadFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress) {
    FBand936 = FBand950 = nullptr;
    KeyList keys(Options.CaseSensitive);
    std::vector<TLexBand*> bands;
    UpdateScope update(FTree);
    for (TTreeNode* node = FTree.FirstNode(); node; node = node->NextSibling())
        FreeNodeData(node);
    ClearFoundNodes();
    FFoundIndex = FFoundColumn = 0;
    FTree.Clear();
    while (FTree.BandCount() > 1)
        FTree.DeleteBand(FTree.Band(FTree.BandCount() - 1));
    while (FTree.ColumnCount() > 1)
        FTree.DeleteColumn(FTree.Column(FTree.ColumnCount() - 1));
    FNodeCount = 0;
    LoadRecords(Reader, keys, bands, OnProgress);
    for (int i = FTree.BandCount() - 1; i >= 1; --i)
        SpreadBandColumns(FTree.Band(i));
    FocusFirstNode(FTree);
    FModified = false;
}

void TLexDocument::MergeFromReader(ILexReader& Reader, const TLexProgressEvent& OnProgress) {
    PostEdit();
    KeyList keys(Options.CaseSensitive);
    std::vector<TLexBand*> bands;
    UpdateScope update(FTree);
    for (TTreeNode* node = FTree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        keys.Insert(AnsiSortKey(Key(node), keys.caseSensitive), node);
    for (int i = 1; i < FTree.BandCount(); ++i) {
        TLexBand* band = FTree.Band(i);
        const std::string codePage = BandCodePage(*band);
        if (std::none_of(bands.begin(), bands.end(), [&](const TLexBand* b) {
                return CompareLexText(BandCodePage(*b), codePage) == 0;
            }))
            bands.push_back(band);
    }
    LoadRecords(Reader, keys, bands, OnProgress);
    for (int i = FTree.BandCount() - 1; i >= 1; --i)
        SpreadBandColumns(FTree.Band(i));
    FocusFirstNode(FTree);
    FModified = true;
}

int TLexDocument::AskOverwrite(std::string_view OldKey, std::string_view NewKey,
                               std::string_view OldValue, std::string_view NewValue) {
    const std::string lineBreak = "\r\n";
    std::string text = TranslateGUI("Value Already Exists!");
    text += lineBreak + lineBreak;
    text += TranslateGUI(
        "Because \"LexKey\" is not case sensitive while loading, or record key violation.");
    text += lineBreak + lineBreak;
    text += TranslateGUI("Old LexKey") + " : " + std::string(OldKey) + lineBreak;
    text += TranslateGUI("New LexKey") + " : " + std::string(NewKey) + lineBreak;
    text += TranslateGUI("Old Value") + " : " + std::string(OldValue) + lineBreak;
    text += TranslateGUI("New Value") + " : " + std::string(NewValue) + lineBreak + lineBreak;
    text += TranslateGUI("Override old value?") + lineBreak;
    text += TranslateGUI("(If select \"Cancel\",don`t ask again,override automatically.)");
    return ShowMessageBox(Window, text, TranslateGUI("Confirm"), MB_YESNOCANCEL | MB_ICONQUESTION);
}

void TLexDocument::LoadRecords(ILexReader& Reader, KeyList& Keys, std::vector<TLexBand*>& Bands,
                               const TLexProgressEvent& OnProgress) {
    const TRecordFields fields = LocateRecordFields(Reader);
    CheckRecordFields(fields, MainWindow, Options);
    const auto field = [&](int role) {
        return fields.Index[role] >= 0 ? Reader.FieldValue(fields.Index[role]) : std::string_view();
    };
    const bool hasCodePage = fields.Index[CodePageIndex] >= 0;
    const bool hasSeqNo = fields.Index[SeqNoIndex] >= 0;
    int answer = IDYES; // remembered for this call: Cancel stops the asking
    SortKeyCache sortKey(Keys.caseSensitive);
    // The last band and column used: records of one language and sequence
    // tend to come together.
    std::string lastCodePage, lastSeqNo;
    TLexBand* band = nullptr;
    TLexColumn* column = nullptr;
    std::string bandKey;

    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        const std::string_view key = field(KeyField);
        const std::string& nodeKey = sortKey(key);
        TTreeNode* node = Keys.Find(nodeKey);
        if (!node) {
            node = CreateNode(nullptr, key, field(CatalogIndex));
            Keys.Insert(nodeKey, node);
            ++FNodeCount;
        }
        if (hasCodePage) {
            const std::string_view codePage = field(CodePageIndex);
            const std::string_view seqNo = hasSeqNo ? field(SeqNoIndex) : std::string_view("0");
            if (!band || codePage != lastCodePage) {
                const auto it = std::find_if(Bands.begin(), Bands.end(), [&](const TLexBand* b) {
                    return CompareLexText(BandCodePage(*b), codePage) == 0;
                });
                if (it != Bands.end()) {
                    band = *it;
                } else {
                    band = AddLanguageBand(codePage);
                    Bands.push_back(band);
                }
                lastCodePage = codePage;
                column = nullptr;
            }
            if (!column || seqNo != lastSeqNo) {
                int position = 0;
                column = FindSequenceColumn(band, seqNo, position);
                if (!column) column = AddSequenceColumn(band, seqNo);
                lastSeqNo = seqNo;
            }
            const std::string_view display = field(DisplayIndex);
            const std::string_view cell = FTree.Value(node, column->Index());
            const bool ask = !cell.empty() && (cell != display || Key(node) != key);
            bool write = true;
            if (ask) {
                if (answer != IDCANCEL) answer = AskOverwrite(Key(node), key, cell, display);
                write = answer != IDNO;
            }
            if (write) FTree.SetValue(node, column->Index(), display);
        }
        if (OnProgress) {
            bool accept = true;
            OnProgress({}, LexFraction(Reader.RecNo(), Reader.RecordCount()), accept);
        }
    }
    if (fields.Index[CatalogIndex] >= 0) BuildHierarchy(Keys, OnProgress);
}

void TLexDocument::BuildHierarchy(KeyList& Keys, const TLexProgressEvent& OnProgress) {
    std::unordered_map<std::string, TTreeNode*> createdParents;
    const auto entries = Keys.Sorted();
    const double total = static_cast<double>(entries.size());
    std::string parentSortKey;
    for (size_t i = 0; i < entries.size(); ++i) {
        TTreeNode* node = entries[i].second;
        const std::string& parentKey = node->Data->ParentKey;
        if (parentKey.empty()) continue;
        parentSortKey = AnsiSortKey(parentKey, Keys.caseSensitive);
        TTreeNode* parent = Keys.Find(parentSortKey);
        if (!parent) {
            TTreeNode*& created = createdParents[parentSortKey];
            if (!created) {
                created = CreateNode(nullptr, parentKey, "");
                ++FNodeCount;
            }
            parent = created;
        }
        // Parent keys may form a cycle; the move that would close it is left
        // out, so that node stays where it is.
        if (parent != node && !FTree.IsInSubtree(parent, node)) FTree.MoveNode(node, parent, false);
        if (OnProgress) {
            bool accept = true;
            OnProgress({}, (i + 1) / total, accept);
        }
    }
}

} // namespace lex
