#pragma once

#include "runtime/LumoMultiLexReader.h"

#include <optional>
#include <string>
#include <vector>

namespace lex {

// A record whose fields are in the reader's field order; nullopt is null.
using TLexRecord = std::vector<std::optional<std::string>>;

// A reader over records held in memory, for programs that build a lexicon
// themselves and hand it to a writer or a dictionary.
class TRecordListLexReader final : public TCustomLexReader {
public:
    // RecordCount() reports `announced` when given, else the number of records.
    TRecordListLexReader(std::vector<std::string> FieldNames, std::vector<TLexRecord> Records,
                         std::optional<int> announced = std::nullopt);

    void First() override;
    void Next() override;
    bool Eof() const override { return current_ >= records_.size(); }
    int FieldCount() const override { return static_cast<int>(fieldNames_.size()); }
    int RecordCount() const override { return announced_; }
    int RecNo() const override { return recNo_; }
    std::string_view FieldName(int Index) const override { return fieldNames_[Index]; }
    std::string_view FieldValue(int Index) const override;
    bool IsNull(int Index) const override;
    int ReservableRecordCount() const override;

private:
    std::vector<std::string> fieldNames_;
    std::vector<TLexRecord> records_;
    int announced_;
    size_t current_ = 0;
    int recNo_ = 0;
};

} // namespace lex
