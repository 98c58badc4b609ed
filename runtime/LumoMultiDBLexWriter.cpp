#include "runtime/LumoMultiDBLexWriter.h"

#include "platform/Exceptions.h"

#include <vector>

namespace lex {

void WriteReaderToDataSet(TLexDataSet& DataSet, ILexReader& Reader,
                          const TLexProgressEvent& OnProgress) {
    const ReadScope scope(Reader);
    std::vector<int> fieldMap(static_cast<size_t>(Reader.FieldCount()));
    for (size_t i = 0; i < fieldMap.size(); ++i)
        fieldMap[i] = DataSet.FindField(Reader.FieldName(static_cast<int>(i)));

    ForEachAcceptedRecord(Reader, OnProgress, [&](std::span<const std::string_view> values) {
        for (size_t i = 0; i < fieldMap.size(); ++i)
            if (fieldMap[i] < 0)
                throw EDatabaseError(
                    FormatText("List index out of bounds (-1): the dataset has no field \"%s\"",
                               {Reader.FieldName(static_cast<int>(i))}));
        DataSet.Append();
        try {
            for (size_t i = 0; i < fieldMap.size(); ++i) {
                const int field = fieldMap[i];
                if (DataSet.IsBlob(field))
                    DataSet.LoadBlob(field, values[i]);
                else
                    DataSet.SetFieldText(field, values[i]);
            }
            DataSet.Post();
        } catch (...) {
            DataSet.Cancel();
            throw;
        }
    });
}

} // namespace lex
