#include "platform/TextCompare.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <string>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace lex {
namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

bool IsPrintableAscii(std::string_view text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// Text as UTF-16: every supported code page keeps ASCII as it is, so plain
// ASCII widens without a converter.
void ToUtf16(std::string_view text, std::u16string& out) {
    bool ascii = true;
    for (const char c : text)
        ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        out.assign(text.begin(), text.end());
    else
        DecodeTextTo(text, ProcessCodePage(), out);
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    ToUtf16(text, out);
    return out;
}

int Sign(int x) {
    return (x > 0) - (x < 0);
}

// Bytes the code page does not define decode to U+FFFD: such a text is told
// apart from others by its bytes, or every undecodable key would be one.
bool HasReplacement(std::u16string_view text) {
    return text.find(u'\uFFFD') != std::u16string_view::npos;
}

// Code point order of the texts after simple case folding. Full folding
// would make "Masse" and "Maße" one text.
int CompareFolded(std::u16string_view a, std::u16string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        UChar32 x, y;
        U16_NEXT(a.data(), i, a.size(), x);
        U16_NEXT(b.data(), j, b.size(), y);
        x = u_foldCase(x, U_FOLD_CASE_DEFAULT);
        y = u_foldCase(y, U_FOLD_CASE_DEFAULT);
        if (x != y) return x < y ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

// The folded text in UTF-8, whose byte order is code point order.
void AppendFolded(std::u16string_view text, std::string& out) {
    for (size_t i = 0; i < text.size();) {
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        uint8_t bytes[U8_MAX_LENGTH];
        int32_t length = 0;
        U8_APPEND_UNSAFE(bytes, length, u_foldCase(c, U_FOLD_CASE_DEFAULT));
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    }
}

// A collator with what it takes to compare printable ASCII without ICU: the
// primary rank of each character and which case sorts first. Locales whose
// rules join or split ASCII characters (contractions such as "ch") use ICU
// for everything.
//
// The collator decides the order, but its ties are not all the same text:
// it equates full-width and half-width forms, hiragana and katakana, and
// skips control characters. Two keys must never become one, so a tie is
// broken by the case-folded code points (ignoring case) or by the bytes.
class Collation {
public:
    explicit Collation(UCollationStrength strength) : strength_(strength) {
        // The C/POSIX locale has a collation in which case differences are
        // primary, so it takes the root collation instead.
        const std::string_view user = uloc_getDefault();
        const char* locale = user.starts_with("en_US_POSIX") ? "" : nullptr;
        UErrorCode status = U_ZERO_ERROR;
        collator_.reset(ucol_open(locale, &status));
        if (U_FAILURE(status))
            throw Exception(std::string("Cannot open a collator: ") + u_errorName(status));
        ucol_setStrength(collator_.get(), strength);
        PrepareShortcut();
    }

    int Compare(std::string_view a, std::string_view b) const {
        if (fast_ && IsPrintableAscii(a) && IsPrintableAscii(b)) return CompareAscii(a, b);
        return CompareIcu(a, b);
    }

    int CompareIcu(std::string_view a, std::string_view b) const {
        return CompareIcu(a, ToUtf16(a), b, ToUtf16(b));
    }

    // The texts with their UTF-16 forms.
    int CompareIcu(std::string_view a, std::u16string_view wideA, std::string_view b,
                   std::u16string_view wideB) const {
        const int order =
            ucol_strcoll(collator_.get(), wideA.data(), static_cast<int32_t>(wideA.size()),
                         wideB.data(), static_cast<int32_t>(wideB.size()));
        return order != 0 ? order : BreakTie(a, wideA, b, wideB);
    }

    // Whether printable ASCII compares without ICU.
    bool AsciiShortcut() const { return fast_; }

    // ICU's key, whose only zero byte ends it, then what BreakTie compares,
    // encoded so that memcmp orders it the same way.
    std::string SortKey(std::string_view text) const {
        const std::u16string u = ToUtf16(text);
        std::string key(u.size() * 4 + 16, '\0');
        for (;;) {
            const int32_t length = ucol_getSortKey(
                collator_.get(), u.data(), static_cast<int32_t>(u.size()),
                reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
            if (length <= static_cast<int32_t>(key.size())) {
                key.resize(static_cast<size_t>(length > 0 ? length : 1)); // with the NUL
                break;
            }
            key.resize(static_cast<size_t>(length));
        }
        if (strength_ >= UCOL_TERTIARY) {
            key.append(text);
        } else if (HasReplacement(u)) {
            key.push_back('\2');
            key.append(text);
        } else {
            key.push_back('\1');
            AppendFolded(u, key);
        }
        return key;
    }

    bool AsciiSortKey(std::string_view text, std::string& key) const {
        if (!fast_ || !IsPrintableAscii(text)) return false;
        key.resize(strength_ < UCOL_TERTIARY ? text.size() : text.size() * 2 + 1);
        for (size_t i = 0; i < text.size(); ++i)
            key[i] = static_cast<char>(rank_[static_cast<unsigned char>(text[i])]);
        if (strength_ >= UCOL_TERTIARY) {
            // Ranks first; then, after a byte below every rank, the case of
            // each character, the first difference deciding as it does above.
            key[text.size()] = '\0';
            for (size_t i = 0; i < text.size(); ++i) {
                const bool upper = text[i] >= 'A' && text[i] <= 'Z';
                key[text.size() + 1 + i] = static_cast<char>(upper == lowerFirst_ ? 2 : 1);
            }
        }
        return true;
    }

    int CompareAscii(std::string_view a, std::string_view b) const {
        const size_t n = std::min(a.size(), b.size());
        size_t caseDifference = n;
        for (size_t i = 0; i < n; ++i) {
            const unsigned char x = a[i], y = b[i];
            if (x == y) continue;
            const int ra = rank_[x], rb = rank_[y];
            if (ra != rb) return ra < rb ? -1 : 1;
            if (caseDifference == n) caseDifference = i;
        }
        if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
        if (strength_ < UCOL_TERTIARY || caseDifference == n) return 0;
        const bool aLower = a[caseDifference] >= 'a';
        return aLower == lowerFirst_ ? -1 : 1;
    }

private:
    // Case-sensitive: the bytes. Ignoring case: the folded code points, and
    // undecodable texts after all others, by their bytes.
    int BreakTie(std::string_view a, std::u16string_view wideA, std::string_view b,
                 std::u16string_view wideB) const {
        if (strength_ >= UCOL_TERTIARY) return Sign(a.compare(b));
        const bool undecodableA = HasReplacement(wideA), undecodableB = HasReplacement(wideB);
        if (undecodableA != undecodableB) return undecodableA ? 1 : -1;
        if (undecodableA) return Sign(a.compare(b));
        return CompareFolded(wideA, wideB);
    }

    void PrepareShortcut() {
        UErrorCode status = U_ZERO_ERROR;
        // Settings under which ASCII characters stop mapping to one primary
        // weight each leave everything to ICU.
        if (ucol_getAttribute(collator_.get(), UCOL_ALTERNATE_HANDLING, &status) !=
                UCOL_NON_IGNORABLE ||
            ucol_getAttribute(collator_.get(), UCOL_NUMERIC_COLLATION, &status) == UCOL_ON ||
            ucol_getAttribute(collator_.get(), UCOL_CASE_LEVEL, &status) == UCOL_ON ||
            U_FAILURE(status))
            return;
        USet* contractions = uset_openEmpty();
        USet* expansions = uset_openEmpty();
        ucol_getContractionsAndExpansions(collator_.get(), contractions, expansions, true, &status);
        bool asciiInvolved = U_FAILURE(status);
        for (UChar32 c = 0x20; c <= 0x7E && !asciiInvolved; ++c)
            asciiInvolved = uset_contains(expansions, c);
        UChar buffer[64];
        for (int32_t i = 0; i < uset_getItemCount(contractions) && !asciiInvolved; ++i) {
            UChar32 start, end;
            UErrorCode itemStatus = U_ZERO_ERROR;
            const int32_t length =
                uset_getItem(contractions, i, &start, &end, buffer, 64, &itemStatus);
            if (length > 0 && U_SUCCESS(itemStatus)) {
                bool allAscii = true;
                for (int32_t k = 0; k < length; ++k)
                    allAscii &= buffer[k] < 0x80;
                asciiInvolved = allAscii;
            }
        }
        uset_close(contractions);
        uset_close(expansions);
        if (asciiInvolved) return;

        // Rank the printable characters by their primary weight alone.
        CollatorPtr primary(ucol_clone(collator_.get(), &status));
        if (U_FAILURE(status)) return;
        ucol_setStrength(primary.get(), UCOL_PRIMARY);
        std::array<char16_t, 95> chars;
        std::iota(chars.begin(), chars.end(), u' ');
        const auto collate = [&](char16_t x, char16_t y) {
            return ucol_strcoll(primary.get(), &x, 1, &y, 1);
        };
        std::sort(chars.begin(), chars.end(),
                  [&](char16_t x, char16_t y) { return collate(x, y) < 0; });
        // Ignorable characters sort first; one of them would break the ranks.
        if (ucol_strcoll(primary.get(), chars.data(), 1, nullptr, 0) == 0) return;
        // Characters of one rank must be one letter in two cases, so that
        // equal ranks mean the same text ignoring case.
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
        unsigned char rank = 1;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && collate(chars[i - 1], chars[i]) != 0)
                ++rank;
            else if (i > 0 && lower(chars[i - 1]) != lower(chars[i]))
                return;
            rank_[chars[i]] = rank;
        }
        const char16_t a = u'a', upperA = u'A';
        lowerFirst_ = ucol_strcoll(collator_.get(), &a, 1, &upperA, 1) <= 0;
        fast_ = true;
    }

    UCollationStrength strength_;
    CollatorPtr collator_;
    bool fast_ = false;
    bool lowerFirst_ = true;
    std::array<unsigned char, 128> rank_{};
};

const Collation& ForCase(bool caseSensitive) {
    thread_local const Collation secondary(UCOL_SECONDARY);
    thread_local const Collation tertiary(UCOL_TERTIARY);
    return caseSensitive ? tertiary : secondary;
}

} // namespace

TSameTextMatcher::TSameTextMatcher(std::string_view Text)
    : text_(Text), wide_(ToUtf16(Text)), codePage_(ProcessCodePage()),
      ascii_(ForCase(false).AsciiShortcut() && IsPrintableAscii(Text)) {}

TSameTextMatcher::TSameTextMatcher(std::u16string_view Text, int CodePage)
    : wide_(Text), codePage_(CodePage) {
    try {
        text_ = EncodeText(Text, CodePage);
    } catch (const EConvertError&) {
        held_ = false;
        return;
    }
    asciiBytes_ = CodePageBytes(CodePage).Ascii;
    ascii_ = asciiBytes_ && ForCase(false).AsciiShortcut() && IsPrintableAscii(text_);
}

bool TSameTextMatcher::operator()(std::string_view Other) const {
    if (!held_) return false;
    const Collation& collation = ForCase(false);
    // Printable ASCII texts of different lengths never compare equal.
    if (ascii_ && IsPrintableAscii(Other))
        return Other.size() == text_.size() && collation.CompareAscii(Other, text_) == 0;
    if (asciiBytes_ && IsPrintableAscii(Other))
        buffer_.assign(Other.begin(), Other.end());
    else
        DecodeTextTo(Other, codePage_, buffer_);
    return collation.CompareIcu(Other, buffer_, text_, wide_) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    return ForCase(false).Compare(a, b);
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
    return ForCase(true).Compare(a, b);
}

std::string AnsiSortKey(std::string_view text, bool caseSensitive) {
    return ForCase(caseSensitive).SortKey(text);
}

std::string AnsiEqualityKey(std::string_view text, bool caseSensitive) {
    // What breaks the collator's ties decides equality: the bytes, or the
    // folded code points of a decodable text (the collator never tells apart
    // texts that fold alike, as case is its last level).
    if (caseSensitive) return std::string(text);
    std::string key(1, '\1');
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; })) {
        key.reserve(text.size() + 1);
        for (const char c : text)
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return key;
    }
    const std::u16string u = ToUtf16(text);
    if (HasReplacement(u)) {
        key[0] = '\2';
        key.append(text);
    } else {
        AppendFolded(u, key);
    }
    return key;
}

bool AnsiAsciiSortKey(std::string_view text, bool caseSensitive, std::string& key) {
    return ForCase(caseSensitive).AsciiSortKey(text, key);
}

int AnsiCompareCollated(std::string_view a, std::string_view b, bool caseSensitive) {
    return ForCase(caseSensitive).CompareIcu(a, b);
}

std::string AsciiLowerCase(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), AsciiLower);
    return lower;
}

bool AsciiSameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, AsciiLower, AsciiLower);
}

} // namespace lex
