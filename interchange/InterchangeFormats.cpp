#include "interchange/InterchangeFormats.h"

#include "interchange/PoFormat.h"
#include "interchange/TsFormat.h"
#include "interchange/XliffFormat.h"

namespace lex {
namespace {

const TInterchangeFormat PoFormat{
    {TFileKind::Translation, "po", "po;pot", "gettext PO", "gettext PO"}, ReadPo, WritePo};
const TInterchangeFormat TsFormat{
    {TFileKind::Translation, "ts", "ts", "Qt TS", "Qt TS"}, ReadTs, WriteTs};
const TInterchangeFormat XliffFormat{
    {TFileKind::Translation, "xliff", "xlf;xliff", "XLIFF 1.2", "XLIFF 1.2"},
    ReadXliff,
    WriteXliff};

const TInterchangeFormat* AsInterchangeFormat(const TFileFormat* Format) {
    return static_cast<const TInterchangeFormat*>(Format);
}

} // namespace

void RegisterInterchangeFormats() {
    for (const TInterchangeFormat* format : {&PoFormat, &TsFormat, &XliffFormat})
        RegisterFileFormat(*format);
}

std::vector<const TInterchangeFormat*> InterchangeFormats() {
    return FileFormatsOf<TInterchangeFormat>(TFileKind::Translation);
}

const TInterchangeFormat* FindInterchangeFormat(std::string_view Name) {
    return AsInterchangeFormat(FindFileFormat(TFileKind::Translation, Name));
}

const TInterchangeFormat* InterchangeFormatOf(std::string_view FileName) {
    return AsInterchangeFormat(FileFormatOf(TFileKind::Translation, FileName));
}

} // namespace lex
