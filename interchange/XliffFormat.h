#pragma once

#include "interchange/TranslationCatalog.h"

#include <string>
#include <string_view>

namespace lex {

// XLIFF 1.2: one <trans-unit> per key with resname the key, <source> the key
// and <target> the value with its state ("needs-translation" when empty),
// the parent key in a context of type "x-parent-key". Control characters are
// <ph ctype="x-ch-0x1f"/>. The key is read from <source>, as a lexicon keys
// on the source text; the text of <g> and <mrk> counts, other inline codes
// do not.
TTranslationCatalog ReadXliff(std::string_view Bytes);
// EConvertError for a parent key holding a control character.
std::string WriteXliff(const TTranslationCatalog& Catalog);

} // namespace lex
