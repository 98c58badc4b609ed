#include "editor/NodeListLexReader.h"

#include "editor/LexDocument.h"
#include "platform/TextCompare.h"
#include "runtime/LexFiles.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

namespace lex {

TNodeListLexReader::TNodeListLexReader(TLexTree& Tree, std::vector<TTreeNode*> Nodes,
                                       const std::vector<TLexBand*>& BandFilter)
    : FTree(Tree), FNodes(std::move(Nodes)) {
    const int columns = FTree.ColumnCount();
    included_.assign(static_cast<size_t>(columns), 0);
    codePages_.resize(static_cast<size_t>(columns));
    for (int c = 1; c < columns; ++c) {
        const TLexBand* band = FTree.Column(c)->Band;
        included_[c] = BandFilter.empty() ||
                       std::find(BandFilter.begin(), BandFilter.end(), band) != BandFilter.end();
        codePages_[c] = TLexDocument::BandCodePage(*band);
    }
    // Languages whose bands have lost every column leave no cell to read:
    // the keys and their parents are still written, as two-field records.
    fiveFields_ = std::find(included_.begin(), included_.end(), 1) != included_.end();
    // Kept here, not on the nodes: the document stays untouched by its
    // readers, and the walk below stays within the nodes and their cells.
    valueless_.reserve(FNodes.size());
    long long records = 0;
    for (TTreeNode* node : FNodes) {
        int count = 0;
        for (int c = 1; c < columns; ++c)
            count += included_[c] && !FTree.Value(node, c).empty();
        valueless_.push_back(count == 0);
        records += std::max(count, 1);
    }
    FRecordCount = static_cast<int>(std::min(records, 0x7FFFFFFFLL));
    First();
}

void TNodeListLexReader::First() {
    FNodeIndex = 0;
    emitted_ = false;
    FColumnIndex = 1;
    FRecordNo = 1;
    Seek();
}

void TNodeListLexReader::Next() {
    if (Eof()) return;
    Advance();
    Seek();
    if (!Eof()) ++FRecordNo;
}

void TNodeListLexReader::Advance() {
    if (fiveFields_ && FColumnIndex < FTree.ColumnCount() - 1) {
        ++FColumnIndex;
        return;
    }
    ++FNodeIndex;
    FColumnIndex = 1;
    emitted_ = false;
}

void TNodeListLexReader::Seek() {
    // Without included columns every node is one two-field record.
    if (!fiveFields_) {
        emitted_ = true;
        return;
    }
    while (!Eof()) {
        if (included_[FColumnIndex] && ((valueless_[FNodeIndex] && !emitted_) ||
                                        !FTree.Value(FNodes[FNodeIndex], FColumnIndex).empty()))
            break;
        Advance();
    }
    emitted_ = true;
}

std::string_view TNodeListLexReader::FieldName(int Index) const {
    static constexpr std::string_view five[] = {LexKeyField, CodePageField, SeqNoField,
                                                DisplayValueField, CatalogIDField};
    static constexpr std::string_view two[] = {LexKeyField, CatalogIDField};
    return fiveFields_ ? five[Index] : two[Index];
}

std::string_view TNodeListLexReader::FieldValue(int Index) const {
    if (Eof()) return {};
    const TTreeNode* node = FNodes[FNodeIndex];
    if (Index == 0) return FTree.Value(node, 0);
    if (!fiveFields_ || Index == 4) return node->Data->ParentKey;
    if (FColumnIndex >= FTree.ColumnCount()) return {};
    switch (Index) {
    case 1:
        return codePages_[FColumnIndex];
    case 2:
        return FTree.Column(FColumnIndex)->Caption;
    default:
        return FTree.Value(node, FColumnIndex);
    }
}

std::unique_ptr<ILexReader> CreateNodeListReader(TLexDocument& Document, bool NodesOnly,
                                                 const std::vector<TLexBand*>& BandFilter) {
    Document.PostEdit();
    TLexTree& tree = Document.Tree();
    // Each node once, where it first comes: a node selected together with
    // an ancestor would otherwise be written twice, and a dictionary refuses
    // a file with one key, code page and sequence twice.
    std::vector<TTreeNode*> nodes;
    std::unordered_set<const TTreeNode*> collected;
    const auto collect = [&](TTreeNode* Node) {
        if (collected.insert(Node).second) nodes.push_back(Node);
    };
    const auto collectSubtree = [&](TTreeNode* Root) {
        for (TTreeNode* n = Root; n; n = TLexTree::NextInTreeOrder(n, Root))
            collect(n);
    };
    const auto addAncestors = [&](TTreeNode* Node) {
        for (TTreeNode* up = Node->Parent(); up; up = up->Parent())
            collect(up);
    };
    if (!NodesOnly) {
        for (TTreeNode* top = tree.FirstNode(); top; top = top->NextSibling())
            for (TTreeNode* n = top; n; n = TLexTree::NextInTreeOrder(n, top))
                nodes.push_back(n);
    } else if (tree.SelectionCount() > 0) {
        for (int i = 0; i < tree.SelectionCount(); ++i) {
            collectSubtree(tree.SelectedNode(i));
            addAncestors(tree.SelectedNode(i));
        }
    } else if (TTreeNode* focused = tree.FocusedNode()) {
        collectSubtree(focused);
        addAncestors(focused);
    }
    return std::make_unique<TNodeListLexReader>(tree, std::move(nodes), BandFilter);
}

FileIdentity WriteCopy(TLexDocument& Document, bool NodesOnly,
                       const std::vector<TLexBand*>& BandFilter,
                       const TLexProgressEvent& OnProgress, const std::string& FileName,
                       const FileIdentity* Expected) {
    const auto reader = CreateNodeListReader(Document, NodesOnly, BandFilter);
    const FileIdentity written = WriteLexFile(*reader, FileName, OnProgress, Expected);
    Document.NotifyFileUsed(FileName);
    return written;
}

void SaveAs(TLexDocument& Document, const std::string& FileName,
            const TLexProgressEvent& OnProgress, TOnDiskChange OnDiskChange) {
    const std::string& bound = Document.FileName();
    const bool toTable = !Document.TableName().empty();
    std::error_code error;
    const bool boundFile =
        !toTable && !bound.empty() &&
        (FileName == bound || std::filesystem::equivalent(FileName, bound, error));
    const FileIdentity* expected =
        boundFile && OnDiskChange == TOnDiskChange::Refuse ? &Document.FileRead() : nullptr;
    const FileIdentity written = WriteCopy(Document, false, {}, OnProgress, FileName, expected);
    // Bound to a table, the file is a copy: the table still lacks the edits.
    if (!toTable) Document.SavedTo(FileName, written);
}

} // namespace lex
