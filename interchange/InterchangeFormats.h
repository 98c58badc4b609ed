#pragma once

#include "interchange/TranslationCatalog.h"

#include <string>
#include <string_view>
#include <vector>

namespace lex {

// A file format of translators' tools: its reader and its writer. Readers
// take the whole file and raise EParserError ("%s on line %d") for input the
// format does not allow; writers give the bytes of a complete file.
struct TInterchangeFormat {
    std::string_view Name;        // "po", "ts", "xliff": lextool's command prefix
    std::string_view Description; // "gettext PO"
    std::vector<std::string_view> Extensions;
    TTranslationCatalog (*Read)(std::string_view Bytes);
    std::string (*Write)(const TTranslationCatalog& Catalog);
};

// The formats in the order the file dialogs list them.
const std::vector<const TInterchangeFormat*>& InterchangeFormats();
const TInterchangeFormat* FindInterchangeFormat(std::string_view Name);
// The format a file name's extension names (ignoring case), or none.
const TInterchangeFormat* InterchangeFormatOf(std::string_view FileName);

// The locale a language given by its code page is written with ("936" gives
// "zh_CN"); empty for a code page that names no one language.
std::string LocaleOfCodePage(std::string_view CodePage);

} // namespace lex
