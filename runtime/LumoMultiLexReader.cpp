#include "runtime/LumoMultiLexReader.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexFormats.h"

#include <algorithm>
#include <cmath>

namespace lex {

std::unique_ptr<TLumoMultiStreamLexReaderStorage> MultiStreamLexReaderStorage;

int FindFieldIndex(const ILexReader& Reader, std::string_view Name) {
    const int count = Reader.FieldCount();
    for (int i = 0; i < count; ++i)
        if (AnsiSameText(Reader.FieldName(i), Name)) return i;
    return -1;
}

double LexFraction(int RecNo, int RecordCount) {
    if (RecordCount <= 0) return 1.0;
    return std::clamp(static_cast<double>(RecNo) / RecordCount, 0.0, 1.0);
}

std::string_view TCustomLexReader::FieldValueByName(std::string_view Name) const {
    const int index = FindFieldIndex(*this, Name);
    return index < 0 ? std::string_view() : FieldValue(index);
}

bool TCustomLexReader::IsNullByName(std::string_view Name) const {
    const int index = FindFieldIndex(*this, Name);
    return index >= 0 && IsNull(index);
}

void TCustomStreamLexReader::First() {
    RecNoValue = 0;
}

void TCustomStreamLexReader::SetFieldNames(std::vector<std::string> Names) {
    FieldNames = std::move(Names);
    Nulls.assign(FieldNames.size(), 0);
}

auto TLumoMultiStreamLexReaderStorage::Search(std::string_view ReaderID) const
    -> std::vector<Entry>::const_iterator {
    return std::lower_bound(
        entries_.begin(), entries_.end(), ReaderID,
        [](const Entry& e, std::string_view id) { return AnsiCompareText(e.ID, id) < 0; });
}

void TLumoMultiStreamLexReaderStorage::RegisterReader(std::string_view ReaderID,
                                                      TLexReaderClass ReaderClass) {
    const auto it = Search(ReaderID);
    if (it != entries_.end() && AnsiSameText(it->ID, ReaderID))
        throw Exception(FormatText("dictionary reader \"%s\" already registered!", {ReaderID}));
    entries_.insert(it, Entry{std::string(ReaderID), ReaderClass});
}

TLexReaderClass TLumoMultiStreamLexReaderStorage::FindReader(std::string_view ReaderID) const {
    const auto it = Search(ReaderID);
    return it != entries_.end() && AnsiSameText(it->ID, ReaderID) ? it->Class : nullptr;
}

void InitializeLumoMultiLexReader() {
    if (MultiStreamLexReaderStorage) return;
    auto storage = std::make_unique<TLumoMultiStreamLexReaderStorage>();
    for (const TLexFormat* format : LexFormats())
        storage->RegisterReader(format->ID, format->ReaderClass);
    MultiStreamLexReaderStorage = std::move(storage);
}

void FinalizeLumoMultiLexReader() {
    MultiStreamLexReaderStorage.reset();
}

TLexReaderClass RegisteredReader(std::string_view ReaderID) {
    const TLexReaderClass readerClass =
        MultiStreamLexReaderStorage ? MultiStreamLexReaderStorage->FindReader(ReaderID) : nullptr;
    if (!readerClass)
        throw Exception(FormatText("dictionary reader ID \"%s\" ,not registered!", {ReaderID}));
    return readerClass;
}

} // namespace lex
