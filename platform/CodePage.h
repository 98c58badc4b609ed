#pragma once

#include <string>
#include <string_view>

namespace lex {

// Conversion between byte strings in a Windows code page (936, 950, 1252,
// 65001, ...) and UTF-16, through ICU. Only the edges of the system convert:
// lexicon values stay bytes everywhere else.

// True when a converter exists for the code page.
bool IsCodePageAvailable(int codePage);

// Decodes bytes; a byte sequence the code page does not define becomes U+FFFD.
// Raises EConvertError for a code page without a converter.
std::u16string DecodeText(std::string_view bytes, int codePage);
// The same into a buffer that keeps its storage from call to call.
void DecodeTextTo(std::string_view bytes, int codePage, std::u16string& out);

// Encodes text; raises EConvertError naming the first character the code page
// cannot hold, so an edit is refused rather than silently changed.
std::string EncodeText(std::u16string_view text, int codePage);

// The code page a locale name such as "zh_TW.UTF-8" or "ru_RU.CP1251" implies:
// a legacy codeset maps directly, otherwise language and territory decide.
int CodePageForLocale(std::string_view localeName);

// The process's code page for byte strings (keys, interface texts): the
// LEXMANAGER_CODEPAGE environment variable when it holds a number, otherwise
// the code page of the locale (LC_ALL, LC_CTYPE, LANG). Read once per process.
int ProcessCodePage();

// The code page that texts of a language named by its code page text
// ("936") decode with: that one when it is a number with a converter,
// otherwise the process's.
int TextCodePage(std::string_view CodePage);

} // namespace lex
