#pragma once

#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiLexReader.h"

namespace lex {

// The rows of an open dataset as lexicon records. The reader borrows the
// dataset: the caller opens it before and keeps it open while reading; the
// reader neither opens, closes nor positions it when created. A large-object
// field reads byte for byte; any other field as the dataset's text, a null as
// the empty text. A name the dataset lacks raises the dataset's error.
class TDBLexReader final : public TCustomLexReader {
public:
    explicit TDBLexReader(TLexDataSet& DataSet) : dataSet_(DataSet) {}

    void First() override { dataSet_.First(); }
    void Next() override { dataSet_.Next(); }
    bool Eof() const override { return dataSet_.Eof(); }
    int FieldCount() const override { return dataSet_.FieldCount(); }
    int RecordCount() const override { return dataSet_.RecordCount(); }
    int RecNo() const override { return dataSet_.RecNo(); }
    std::string_view FieldName(int Index) const override { return dataSet_.FieldName(Index); }
    std::string_view FieldValue(int Index) const override;
    std::string_view FieldValueByName(std::string_view Name) const override;
    bool IsNull(int Index) const override { return dataSet_.IsNull(Index); }
    bool IsNullByName(std::string_view Name) const override;
    bool IsBlob(int Index) const override { return dataSet_.IsBlob(Index); }
    bool IsBlobByName(std::string_view Name) const override;
    void BeginRead() override { dataSet_.DisableControls(); }
    void EndRead() override { dataSet_.EnableControls(); }

private:
    TLexDataSet& dataSet_;
};

} // namespace lex
