// Saving the document into a table: one pass over the document's records and
// one over the table's cached rows make the rows equal to the records; the
// table then sends the changes.
#include "editor/LexDocument.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiDBLexReader.h"

#include <algorithm>
#include <unordered_map>

namespace lex {

namespace {

// One record of the document during the synchronisation.
struct TRecordData {
    std::vector<std::string> Values; // in the node-list reader's field order
    bool Seen = false;
};

std::string RecordKey(std::string_view Key, std::string_view CodePage, std::string_view SeqNo) {
    std::string text(Key);
    text += '\t';
    text += CodePage;
    text += '\t';
    text += SeqNo;
    return text;
}

std::string_view FieldValueOf(const TLexDataSet& Table, int Index) {
    return Table.IsBlob(Index) ? Table.BlobBytes(Index) : Table.FieldText(Index);
}

void SetFieldValue(TLexDataSet& Table, int Index, std::string_view Value) {
    if (Table.IsBlob(Index))
        Table.LoadBlob(Index, Value);
    else
        Table.SetFieldText(Index, Value);
}

} // namespace

void TLexDocument::OpenDataSet(TLexDataSet& Table, const TLexProgressEvent& OnProgress) {
    TDBLexReader reader(Table);
    LoadFromReader(reader, OnProgress);
}

void TLexDocument::BindTable(std::string TableName, std::string Caption) {
    FTableName = std::move(TableName);
    caption_ = std::move(Caption);
}

TApplyCounts TLexDocument::SaveToTable(TLexDataSet& Table, const TTableApply& Apply, bool NodesOnly,
                                       const std::vector<TLexBand*>& BandFilter,
                                       const TLexProgressEvent& OnProgress) {
    PostEdit();
    const bool caseSensitive = options_.CaseSensitive;
    const auto progress = [&OnProgress](double Fraction) {
        bool accept = true;
        if (OnProgress) OnProgress({}, Fraction, accept);
    };

    // The document's records under their keys.
    const auto reader = CreateNodeListReader(NodesOnly, BandFilter);
    const TRecordFields fields = LocateRecordFields(*reader);
    std::vector<std::string> names;
    for (int i = 0; i < reader->FieldCount(); ++i)
        names.emplace_back(reader->FieldName(i));
    const auto valueOf = [](const TRecordData& Record, int Index) {
        return Index < 0 ? std::string_view() : std::string_view(Record.Values[Index]);
    };
    const auto keyOf = [&](const TRecordData& Record) {
        return RecordKey(valueOf(Record, fields.Index[0]), valueOf(Record, fields.Index[1]),
                         valueOf(Record, fields.Index[2]));
    };
    std::vector<TRecordData> records;
    records.reserve(static_cast<size_t>(reader->ReservableRecordCount()));
    std::unordered_map<std::string, size_t> byKey; // equality keys of the record keys
    byKey.reserve(records.capacity());
    {
        const ReadScope scope(*reader);
        for (reader->First(); !reader->Eof(); reader->Next()) {
            progress(LexFraction(reader->RecNo(), reader->RecordCount()));
            TRecordData& record = records.emplace_back();
            for (int i = 0; i < reader->FieldCount(); ++i)
                record.Values.emplace_back(reader->FieldValue(i));
            byKey.emplace(AnsiEqualityKey(keyOf(record), caseSensitive), records.size() - 1);
        }
    }

    // The table's fields for the key and for every record field.
    const int keyFields[3] = {Table.FindField(LexKeyField), Table.FindField(CodePageField),
                              Table.FindField(SeqNoField)};
    std::vector<int> tableFields;
    for (const std::string& name : names)
        tableFields.push_back(Table.FindField(name));
    const auto need = [](int Index, std::string_view Name) {
        if (Index < 0) throw EDatabaseError(FormatText("Field '%s' not found", {Name}));
        return Index;
    };
    const auto writeRecord = [&](const TRecordData& Record) {
        for (size_t i = 0; i < names.size(); ++i)
            SetFieldValue(Table, need(tableFields[i], names[i]), Record.Values[i]);
        Table.Post();
    };

    // Rows: updated where a field differs, deleted where the document has no
    // such record. A second row for a record already met (keys equal but for
    // case) is deleted too: updating it as well would give two rows one key.
    const int rowCount = Table.RecordCount();
    int rowNumber = 0;
    Table.First();
    while (!Table.Eof()) {
        progress(LexFraction(++rowNumber, rowCount));
        const std::string key = RecordKey(Table.FieldText(need(keyFields[0], LexKeyField)),
                                          Table.FieldText(need(keyFields[1], CodePageField)),
                                          Table.FieldText(need(keyFields[2], SeqNoField)));
        const auto found = byKey.find(AnsiEqualityKey(key, caseSensitive));
        if (found == byKey.end() || records[found->second].Seen) {
            Table.Delete();
            continue;
        }
        TRecordData& record = records[found->second];
        record.Seen = true;
        bool differs = false;
        for (size_t i = 0; i < names.size() && !differs; ++i)
            differs = FieldValueOf(Table, need(tableFields[i], names[i])) != record.Values[i];
        if (differs) {
            Table.Edit();
            writeRecord(record);
        }
        Table.Next();
    }

    // Records no row had, in key order.
    std::vector<std::pair<std::string, const TRecordData*>> unseen;
    for (const TRecordData& record : records)
        if (!record.Seen) unseen.emplace_back(AnsiSortKey(keyOf(record), caseSensitive), &record);
    std::stable_sort(unseen.begin(), unseen.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    for (size_t j = 0; j < unseen.size(); ++j) {
        progress(LexFraction(static_cast<int>(j + 1), static_cast<int>(unseen.size())));
        Table.Append();
        writeRecord(*unseen[j].second);
    }

    const TApplyCounts counts = Apply(OnProgress);
    if (counts.Refused == 0 && counts.Conflicts == 0) Saved();
    return counts;
}

void TLexDocument::TakeTableValue(std::string_view Key, std::string_view CodePage,
                                  std::string_view SeqNo, std::optional<std::string_view> Value) {
    const TUndoScope scope(*this, "Take Their Value");
    TTreeNode* node = FindNodeByKey(Key);
    TLexBand* band = nullptr;
    for (int i = 1; i < FTree.BandCount() && !band; ++i)
        if (BandCodePage(*FTree.Band(i)) == CodePage) band = FTree.Band(i);
    int position = 0;
    TLexColumn* column = band ? FindSequenceColumn(band, SeqNo, position) : nullptr;
    if (!Value) { // their row is gone: so is the cell
        if (node && column) SetNodeValue(node, column->Index(), {});
        return;
    }
    if (!node) node = AppendNode(Key);
    if (!band) band = AddLanguage(CodePage);
    if (!column) column = FindSequenceColumn(band, SeqNo, position);
    if (!column) column = AddSequenceColumn(band, SeqNo);
    SetNodeValue(node, column->Index(), *Value);
}

} // namespace lex
