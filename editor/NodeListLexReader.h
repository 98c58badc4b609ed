#pragma once

#include "editor/LexTree.h"
#include "platform/FileUtil.h"
#include "runtime/LumoMultiLexReader.h"

#include <memory>
#include <string>
#include <vector>

namespace lex {

class TLexDocument;

// The document's tree as records: one record per non-empty cell of the
// included languages, in grid column order, node after node; a node without
// any such cell gives one record with an empty display value, so its key
// and parent survive. Without language columns (or none of the included
// languages has one) the records have only "LexKey" and "CatalogID". Never
// yields nulls.
class TNodeListLexReader final : public TCustomLexReader {
public:
    // BandFilter empty means every language.
    TNodeListLexReader(TLexTree& Tree, std::vector<TTreeNode*> Nodes,
                       const std::vector<TLexBand*>& BandFilter);

    void First() override;
    void Next() override;
    bool Eof() const override { return FNodeIndex >= FNodes.size(); }
    int FieldCount() const override { return fiveFields_ ? 5 : 2; }
    int RecordCount() const override { return FRecordCount; }
    int RecNo() const override { return FRecordNo; }
    std::string_view FieldName(int Index) const override;
    std::string_view FieldValue(int Index) const override;
    bool IsNull(int) const override { return false; }

private:
    void Advance();
    void Seek();

    TLexTree& FTree;
    std::vector<TTreeNode*> FNodes;
    std::vector<char> included_;         // by column index
    std::vector<char> valueless_;        // by node: no non-empty included cell
    std::vector<std::string> codePages_; // BandCodePage by column index
    size_t FNodeIndex = 0;
    int FRecordCount = 0;
    int FRecordNo = 0;
    int FColumnIndex = 1;
    bool emitted_ = false; // a record of the current node has been reached
    bool fiveFields_ = false;
};

// Saving a document: its records through the node-list reader, written in
// the format the file's extension names.

// The reader over every node (NodesOnly false), or over the selected nodes
// (else the focused one) with their subtrees and ancestors, each node once;
// BandFilter empty means every language. An open edit is stored first.
std::unique_ptr<ILexReader> CreateNodeListReader(TLexDocument& Document, bool NodesOnly,
                                                 const std::vector<TLexBand*>& BandFilter);
// Writes those records to FileName, an export: the document stays bound
// where it was and keeps its modified mark, since the user's own file is
// still unsaved. The file enters the history. Expected: see WriteLexFile.
FileIdentity WriteCopy(TLexDocument& Document, bool NodesOnly,
                       const std::vector<TLexBand*>& BandFilter,
                       const TLexProgressEvent& OnProgress, const std::string& FileName,
                       const FileIdentity* Expected = nullptr);

// Onto the bound file, SaveAs refuses with EFileChanged, writing nothing,
// when someone else changed it since it was read, unless told to replace it.
enum class TOnDiskChange { Refuse, Replace };
// Writes every node and language to FileName, binds the document to it and
// clears Modified. Bound to a table, where Save goes, the file is a copy and
// the document stays as it was.
void SaveAs(TLexDocument& Document, const std::string& FileName,
            const TLexProgressEvent& OnProgress = {},
            TOnDiskChange OnDiskChange = TOnDiskChange::Refuse);

} // namespace lex
