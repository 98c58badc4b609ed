#pragma once

#include "interchange/TranslationCatalog.h"

#include <string>
#include <string_view>

namespace lex {

// gettext PO, through the gettext project's own library. One entry per key:
// msgid the key, msgstr the value (msgstr[n] for plural forms), msgctxt only
// where two keys would otherwise meet, the parent key in an extracted comment
// 'parent key: "..."'. Files in another charset than UTF-8 are converted as
// their header says.
TTranslationCatalog ReadPo(std::string_view Bytes);
// UTF-8 with a header entry naming Language, Content-Type and X-Generator.
// A key or value holding NUL cannot be written: EConvertError names the key.
std::string WritePo(const TTranslationCatalog& Catalog);

} // namespace lex
