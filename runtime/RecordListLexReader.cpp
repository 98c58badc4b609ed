#include "runtime/RecordListLexReader.h"

#include <algorithm>

namespace lex {

TRecordListLexReader::TRecordListLexReader(std::vector<std::string> FieldNames,
                                           std::vector<TLexRecord> Records,
                                           std::optional<int> announced)
    : fieldNames_(std::move(FieldNames)), records_(std::move(Records)),
      announced_(announced.value_or(static_cast<int>(records_.size()))) {
    for (TLexRecord& record : records_)
        record.resize(fieldNames_.size());
    First();
}

void TRecordListLexReader::First() {
    current_ = 0;
    recNo_ = records_.empty() ? 0 : 1;
}

void TRecordListLexReader::Next() {
    if (Eof()) return;
    if (++current_ < records_.size()) ++recNo_;
}

std::string_view TRecordListLexReader::FieldValue(int Index) const {
    if (Eof()) return {};
    const auto& field = records_[current_][Index];
    return field ? std::string_view(*field) : std::string_view();
}

bool TRecordListLexReader::IsNull(int Index) const {
    return Eof() || !records_[current_][Index].has_value();
}

int TRecordListLexReader::ReservableRecordCount() const {
    return std::clamp(announced_, 0, static_cast<int>(records_.size()));
}

} // namespace lex
