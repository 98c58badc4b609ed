// Saving the document into a table: one pass over the document's records and
// one over the table's cached rows make the rows equal to the records; the
// table then sends the changes.
#include "editor/LexTableSync.h"

#include "editor/LexDocument.h"
#include "editor/NodeListLexReader.h"
#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiDBLexReader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace lex {

namespace {

// Bytes in blocks that never move: views of them stay valid, and growing
// copies nothing (a doubling buffer of a million records would copy and
// hold twice what it needs at its peak).
class TTextBlocks {
public:
    // Room for Bytes contiguous bytes.
    char* Allocate(size_t Bytes) {
        if (Bytes > free_) {
            const size_t size = std::max(BlockSize, Bytes);
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
            next_ = blocks_.back().get();
            free_ = size;
        }
        char* at = next_;
        next_ += Bytes;
        free_ -= Bytes;
        return at;
    }
    std::string_view Add(std::string_view Text) {
        char* at = Allocate(Text.size());
        std::copy(Text.begin(), Text.end(), at);
        return {at, Text.size()};
    }

private:
    static constexpr size_t BlockSize = size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    size_t free_ = 0;
};

// The document's records during the synchronisation: each record's values
// one after another in blocks, with their lengths; a million records must
// not cost a million vectors of strings.
class TRecordTable {
public:
    TRecordTable(int FieldCount, int Reservable) : fieldCount_(static_cast<size_t>(FieldCount)) {
        starts_.reserve(static_cast<size_t>(Reservable));
        lengths_.reserve(static_cast<size_t>(Reservable) * fieldCount_);
    }

    void Add(const ILexReader& Reader) {
        size_t bytes = 0;
        for (size_t i = 0; i < fieldCount_; ++i) {
            const size_t length = Reader.FieldValue(static_cast<int>(i)).size();
            if (length > std::numeric_limits<uint32_t>::max())
                throw EDatabaseError("A value of 4 GB or more cannot be saved to a table");
            lengths_.push_back(static_cast<uint32_t>(length));
            bytes += length;
        }
        char* at = text_.Allocate(bytes);
        starts_.push_back(at);
        for (size_t i = 0; i < fieldCount_; ++i) {
            const std::string_view value = Reader.FieldValue(static_cast<int>(i));
            at = std::copy(value.begin(), value.end(), at);
        }
    }
    size_t Size() const { return starts_.size(); }
    // The value of field Index (of the reader's fields); empty for -1.
    std::string_view Value(size_t Record, int Index) const {
        if (Index < 0) return {};
        const char* start = starts_[Record];
        const uint32_t* lengths = &lengths_[Record * fieldCount_];
        for (int i = 0; i < Index; ++i)
            start += lengths[i];
        return {start, lengths[Index]};
    }

private:
    size_t fieldCount_;
    TTextBlocks text_;
    std::vector<const char*> starts_;
    std::vector<uint32_t> lengths_;
};

std::string RecordKey(std::string_view Key, std::string_view CodePage, std::string_view SeqNo) {
    std::string text(Key);
    text += '\t';
    text += CodePage;
    text += '\t';
    text += SeqNo;
    return text;
}

// The records by the equality key of their key, code page and sequence, the
// first of equal ones. Open addressing over record numbers with their hashes
// beside them; each key is made once and kept in blocks.
class TRecordIndex {
public:
    TRecordIndex(size_t Records, const std::function<std::string(size_t Record)>& KeyOf)
        : slots_(std::bit_ceil(Records * 2 + 2)) {
        keys_.reserve(Records);
        for (size_t record = 0; record < Records; ++record) {
            keys_.push_back(text_.Add(KeyOf(record)));
            const uint32_t hash = Hash(keys_.back());
            TSlot& slot = slots_[Probe(keys_.back(), hash)];
            if (slot.Record == 0) slot = {static_cast<uint32_t>(record + 1), hash};
        }
    }
    std::optional<size_t> Find(std::string_view Key) const {
        const TSlot& slot = slots_[Probe(Key, Hash(Key))];
        if (slot.Record == 0) return std::nullopt;
        return slot.Record - 1;
    }

private:
    struct TSlot {
        uint32_t Record = 0; // plus one; 0 is free
        uint32_t Hash = 0;
    };
    static uint32_t Hash(std::string_view Key) {
        return static_cast<uint32_t>(std::hash<std::string_view>()(Key));
    }
    // Where Key is, or the free slot where it would go.
    size_t Probe(std::string_view Key, uint32_t KeyHash) const {
        const size_t mask = slots_.size() - 1;
        for (size_t at = KeyHash & mask;; at = (at + 1) & mask) {
            const TSlot& slot = slots_[at];
            if (slot.Record == 0 || (slot.Hash == KeyHash && keys_[slot.Record - 1] == Key))
                return at;
        }
    }

    std::vector<TSlot> slots_;
    TTextBlocks text_;
    std::vector<std::string_view> keys_;
};

// The records not Seen, ordered by their sort keys (equal ones as they
// come).
std::vector<size_t> InKeyOrder(const std::vector<bool>& Seen,
                               const std::function<std::string(size_t Record)>& SortKeyOf) {
    TTextBlocks text;
    std::vector<std::pair<std::string_view, size_t>> keys; // with their records
    for (size_t record = 0; record < Seen.size(); ++record)
        if (!Seen[record]) keys.emplace_back(text.Add(SortKeyOf(record)), record);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    std::vector<size_t> order;
    order.reserve(keys.size());
    for (const auto& key : keys)
        order.push_back(key.second);
    return order;
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

// A table's field the synchronisation needs; EDatabaseError when the table
// lacks it.
int Need(int Index, std::string_view Name) {
    if (Index < 0) throw EDatabaseError(FormatText("Field '%s' not found", {Name}));
    return Index;
}

// One synchronisation: the document's records, read once, against the
// table's cached rows.
class TTableSync {
public:
    TTableSync(TLexDataSet& Table, ILexReader& Records, bool CaseSensitive,
               const TLexProgressEvent& OnProgress);
    // Rows updated where a field differs, deleted where the document has no
    // such record; the records a row had.
    std::vector<bool> SyncRows();
    // Records no row had, in key order.
    void AppendRecords(const std::vector<bool>& Seen);

private:
    std::string KeyOf(size_t Record) const {
        return RecordKey(records_.Value(Record, fields_.Index[0]),
                         records_.Value(Record, fields_.Index[1]),
                         records_.Value(Record, fields_.Index[2]));
    }
    int TableField(size_t Field) const { return Need(tableFields_[Field], names_[Field]); }
    bool RowDiffers(size_t Record) const;
    void WriteRecord(size_t Record);
    void Progress(int Done, int Total) const {
        ReportProgress(onProgress_, LexFraction(Done, Total));
    }

    TLexDataSet& table_;
    bool caseSensitive_;
    const TLexProgressEvent& onProgress_;
    TRecordFields fields_;
    std::vector<std::string> names_;
    std::vector<int> tableFields_; // the table's field of each record field
    TRecordTable records_;
};

TTableSync::TTableSync(TLexDataSet& Table, ILexReader& Records, bool CaseSensitive,
                       const TLexProgressEvent& OnProgress)
    : table_(Table), caseSensitive_(CaseSensitive), onProgress_(OnProgress),
      fields_(LocateRecordFields(Records)),
      records_(Records.FieldCount(), Records.ReservableRecordCount()) {
    for (int i = 0; i < Records.FieldCount(); ++i) {
        names_.emplace_back(Records.FieldName(i));
        tableFields_.push_back(Table.FindField(names_.back()));
    }
    const ReadScope scope(Records);
    for (Records.First(); !Records.Eof(); Records.Next()) {
        Progress(Records.RecNo(), Records.RecordCount());
        records_.Add(Records);
    }
}

std::vector<bool> TTableSync::SyncRows() {
    std::vector<bool> seen(records_.Size());
    const int rowCount = table_.RecordCount();
    if (rowCount == 0) return seen;
    const int keyFields[3] = {Need(table_.FindField(LexKeyField), LexKeyField),
                              Need(table_.FindField(CodePageField), CodePageField),
                              Need(table_.FindField(SeqNoField), SeqNoField)};
    const TRecordIndex byKey(records_.Size(), [&](size_t Record) {
        return AnsiEqualityKey(KeyOf(Record), caseSensitive_);
    });
    int rowNumber = 0;
    table_.First();
    while (!table_.Eof()) {
        Progress(++rowNumber, rowCount);
        const std::string key =
            RecordKey(table_.FieldText(keyFields[0]), table_.FieldText(keyFields[1]),
                      table_.FieldText(keyFields[2]));
        const std::optional<size_t> found = byKey.Find(AnsiEqualityKey(key, caseSensitive_));
        // A second row for a record already met (keys equal but for case) is
        // deleted too: updating it as well would give two rows one key.
        if (!found || seen[*found]) {
            table_.Delete();
            continue;
        }
        seen[*found] = true;
        if (RowDiffers(*found)) {
            table_.Edit();
            WriteRecord(*found);
        }
        table_.Next();
    }
    return seen;
}

bool TTableSync::RowDiffers(size_t Record) const {
    for (size_t i = 0; i < names_.size(); ++i)
        if (FieldValueOf(table_, TableField(i)) != records_.Value(Record, static_cast<int>(i)))
            return true;
    return false;
}

void TTableSync::WriteRecord(size_t Record) {
    for (size_t i = 0; i < names_.size(); ++i)
        SetFieldValue(table_, TableField(i), records_.Value(Record, static_cast<int>(i)));
    table_.Post();
}

void TTableSync::AppendRecords(const std::vector<bool>& Seen) {
    const std::vector<size_t> unseen =
        InKeyOrder(Seen, [&](size_t Record) { return AnsiSortKey(KeyOf(Record), caseSensitive_); });
    for (size_t j = 0; j < unseen.size(); ++j) {
        Progress(static_cast<int>(j + 1), static_cast<int>(unseen.size()));
        table_.Append();
        WriteRecord(unseen[j]);
    }
}

} // namespace

void OpenDataSet(TLexDocument& Document, TLexDataSet& Table, const TOverwriteAnswerer& Answer,
                 const TLexProgressEvent& OnProgress) {
    TDBLexReader reader(Table);
    LoadFromReader(Document, reader, Answer, OnProgress);
}

TApplyCounts SaveToTable(TLexDocument& Document, TLexDataSet& Table, const TTableApply& Apply,
                         bool NodesOnly, const std::vector<TLexBand*>& BandFilter,
                         const TLexProgressEvent& OnProgress) {
    const auto reader = CreateNodeListReader(Document, NodesOnly, BandFilter);
    TTableSync sync(Table, *reader, Document.Options().CaseSensitive, OnProgress);
    sync.AppendRecords(sync.SyncRows());
    const TApplyCounts counts = Apply(OnProgress);
    if (counts.Refused == 0 && counts.Conflicts == 0) Document.Saved();
    return counts;
}

void TakeTableValue(TLexDocument& Document, std::string_view Key, std::string_view CodePage,
                    std::string_view SeqNo, std::optional<std::string_view> Value) {
    const TLexDocument::TUndoScope scope(Document, "Take Their Value");
    const TLexTree& tree = Document.Tree();
    TTreeNode* node = Document.FindNodeByKey(Key);
    TLexBand* band = nullptr;
    for (int i = 1; i < tree.BandCount() && !band; ++i)
        if (TLexDocument::BandCodePage(*tree.Band(i)) == CodePage) band = tree.Band(i);
    int position = 0;
    TLexColumn* column = band ? Document.FindSequenceColumn(band, SeqNo, position) : nullptr;
    if (!Value) { // their row is gone: so is the cell
        if (node && column) Document.SetNodeValue(node, column->Index(), {});
        return;
    }
    if (!node) node = Document.AppendNode(Key);
    if (!band) band = Document.AddLanguage(CodePage);
    if (!column) column = Document.FindSequenceColumn(band, SeqNo, position);
    if (!column) column = Document.AddSequenceColumn(band, SeqNo);
    Document.SetNodeValue(node, column->Index(), *Value);
}

} // namespace lex
