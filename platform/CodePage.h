#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// Decodes bytes as DecodeTextTo does and gives, for each UTF-16 unit, the
// offset of the byte its character starts at: where a text found among the
// characters lies in the bytes.
void DecodeTextTo(std::string_view bytes, int codePage, std::u16string& out,
                  std::vector<int32_t>& starts);

// Encodes text; raises EConvertError naming the first character the code page
// cannot hold, so an edit is refused rather than silently changed.
std::string EncodeText(std::u16string_view text, int codePage);

// What the bytes of texts in a code page say about their characters, for
// finding a text by its bytes. Raises EConvertError for a code page without
// a converter.
struct TCodePageBytes {
    // A text's bytes are its characters' bytes one after another, whatever
    // stands before it, so its bytes occur wherever it does; not so where
    // bytes shift a state (ISO-2022, HZ, UTF-7).
    bool Stateless = false;
    // Stateless, and the printable ASCII characters are their own single
    // bytes (not EBCDIC, not UTF-16).
    bool Ascii = false;
    // Ascii, and a text's bytes occur only where it does: one byte per
    // character, or UTF-8. Elsewhere a byte match may start inside a
    // double-byte character.
    bool Aligned = false;
};
TCodePageBytes CodePageBytes(int codePage);

// The code page a locale name such as "zh_TW.UTF-8" or "ru_RU.CP1251" implies:
// a legacy codeset maps directly, otherwise language and territory decide.
int CodePageForLocale(std::string_view localeName);

// The locale a language given by its code page is written with ("936" gives
// "zh_CN"); empty for a code page that names no one language.
std::string LocaleOfCodePage(std::string_view CodePage);

// Of CodePages, the first whose locale is Locale, else the first of Locale's
// language alone ("zh-CN", "zh_cn" and "zh_CN" alike); empty when none is.
std::string CodePageOfLocale(std::span<const std::string> CodePages, std::string_view Locale);

// The process's code page for byte strings (keys, interface texts): the
// LEXMANAGER_CODEPAGE environment variable when it holds a number, otherwise
// the code page of the locale (LC_ALL, LC_CTYPE, LANG). Read once per process.
int ProcessCodePage();

// The code page that texts of a language named by its code page text
// ("936") decode with: that one when it is a number with a converter,
// otherwise the process's.
int TextCodePage(std::string_view CodePage);

} // namespace lex
