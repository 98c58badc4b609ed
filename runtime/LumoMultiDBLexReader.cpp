#include "runtime/LumoMultiDBLexReader.h"

namespace lex {

std::string_view TDBLexReader::FieldValue(int Index) const {
    return dataSet_.IsBlob(Index) ? dataSet_.BlobBytes(Index) : dataSet_.FieldText(Index);
}

std::string_view TDBLexReader::FieldValueByName(std::string_view Name) const {
    return FieldValue(dataSet_.FieldByName(Name));
}

bool TDBLexReader::IsNullByName(std::string_view Name) const {
    return dataSet_.IsNull(dataSet_.FieldByName(Name));
}

bool TDBLexReader::IsBlobByName(std::string_view Name) const {
    return dataSet_.IsBlob(dataSet_.FieldByName(Name));
}

} // namespace lex
