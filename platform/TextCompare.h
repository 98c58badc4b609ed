#pragma once

#include <string>
#include <string_view>

namespace lex {

// Locale-aware comparison of byte strings in the process's code page, through
// an ICU collator for the user's locale. Names (fields, reader IDs,
// dictionaries) and the editor's keys compare this way.
//
// The collator gives the order; two texts are equal only when they are the
// same text ignoring case (simple Unicode case folding) or, case-sensitive,
// the same bytes. Texts the collator cannot tell apart otherwise (full-width
// and half-width forms, kana, control characters) follow code point order,
// and texts with bytes the code page does not define follow their bytes.

// Ignoring case (secondary strength): negative, zero or positive.
int AnsiCompareText(std::string_view a, std::string_view b);
// Case counts (tertiary strength).
int AnsiCompareStr(std::string_view a, std::string_view b);

inline bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiCompareText(a, b) == 0;
}

// Whether texts are AnsiSameText as one given text, with that text's share
// of the work done once: for comparing it with many others, as a search
// through every cell does.
class TSameTextMatcher {
public:
    // Text and the texts it meets in the process's code page.
    explicit TSameTextMatcher(std::string_view Text);
    // Text in Unicode, meeting texts in CodePage; none is the same when the
    // code page cannot hold Text.
    TSameTextMatcher(std::u16string_view Text, int CodePage);
    bool operator()(std::string_view Other) const;

private:
    std::string text_; // in the code page
    std::u16string wide_;
    int codePage_;
    bool asciiBytes_ = true; // printable ASCII characters are their own bytes there
    bool ascii_ = false;     // printable ASCII, compared without ICU where the other is too
    bool held_ = true;       // the code page holds the text
    mutable std::u16string buffer_;
};

// Bytes whose order under memcmp is the order of AnsiCompareStr (caseSensitive)
// or AnsiCompareText, and which are equal exactly when the texts compare equal:
// a key for sorting and hashing many texts with one collation each.
std::string AnsiSortKey(std::string_view text, bool caseSensitive);

// Bytes that are equal exactly when the texts compare equal, without an
// order: for hashing texts that are only ever tested for equality, at a
// fraction of a sort key's cost (no collation).
std::string AnsiEqualityKey(std::string_view text, bool caseSensitive);

// A cheaper key with the same property for printable ASCII text, when the
// locale's collation allows it (false otherwise, and for any other text).
// Such keys order and equal each other as the texts do, but are not
// comparable with AnsiSortKey's.
bool AnsiAsciiSortKey(std::string_view text, bool caseSensitive, std::string& key);

// Names of the file system and of protocols (extensions, locale and codeset
// names): only the letters A to Z have a case, whatever the locale says.
std::string AsciiLowerCase(std::string_view text);
bool AsciiSameText(std::string_view a, std::string_view b);

// The same comparisons computed by ICU alone, without the printable-ASCII
// shortcut; for checking that the shortcut agrees with the collator.
int AnsiCompareCollated(std::string_view a, std::string_view b, bool caseSensitive);

} // namespace lex
