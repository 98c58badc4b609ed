#pragma once

#include "interchange/TranslationCatalog.h"

#include <string>
#include <string_view>

namespace lex {

// Qt's TS: one <message> per key with <source> the key and <translation> the
// value (type="unfinished" when empty), grouped in <context> elements named
// by the parent key; control characters as Qt writes them, <byte value="x1"/>.
// Obsolete and vanished messages are not read; numerus forms are the values
// in order.
TTranslationCatalog ReadTs(std::string_view Bytes);
// EConvertError for a parent key holding a control character: a context
// name cannot carry one.
std::string WriteTs(const TTranslationCatalog& Catalog);

} // namespace lex
