#pragma once

#include <string_view>

namespace lex {

// Locale-aware comparison of byte strings in the process's code page, through
// an ICU collator for the user's locale. Names (fields, reader IDs,
// dictionaries) compare this way.

// Ignoring case (secondary strength): negative, zero or positive.
int AnsiCompareText(std::string_view a, std::string_view b);
// Case counts (tertiary strength).
int AnsiCompareStr(std::string_view a, std::string_view b);

inline bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiCompareText(a, b) == 0;
}

} // namespace lex
