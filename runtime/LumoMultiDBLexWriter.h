#pragma once

#include "runtime/LexDataSet.h"
#include "runtime/LumoMultiLexReader.h"

namespace lex {

// Appends every record of Reader that OnProgress accepts to DataSet, one
// posted row each, the reader's fields going to the dataset fields of the
// same names (ignoring case); a large-object field takes the value's bytes.
// Nothing else is done to the dataset: it is not opened, emptied, compared
// with or committed. A reader field the dataset lacks raises an index error
// at the first accepted record, before any row is added. Rows posted before a
// failure stay; the row being filled is dropped.
void WriteReaderToDataSet(TLexDataSet& DataSet, ILexReader& Reader,
                          const TLexProgressEvent& OnProgress = {});

} // namespace lex
