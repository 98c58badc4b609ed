#include "runtime/LexDataSet.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"

namespace lex {

int TLexDataSet::FindField(std::string_view Name) const {
    const int count = FieldCount();
    for (int i = 0; i < count; ++i)
        if (AnsiSameText(FieldName(i), Name)) return i;
    return -1;
}

int TLexDataSet::FieldByName(std::string_view Name) const {
    const int index = FindField(Name);
    if (index < 0) throw EDatabaseError(FormatText("Field '%s' not found", {Name}));
    return index;
}

} // namespace lex
