#include "platform/TextCompare.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "support/TestCodePage.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <random>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/utf16.h>
#include <vector>

namespace lex {
namespace {

int Sign(int x) {
    return (x > 0) - (x < 0);
}

// The text in the process's code page, or nothing when it cannot hold it.
std::optional<std::string> Encoded(std::u16string_view text) {
    try {
        return EncodeText(text, ProcessCodePage());
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// The user locale's collator as it stands, ties and all.
int CollatorOrder(std::string_view a, std::string_view b, bool caseSensitive) {
    struct Closer {
        void operator()(UCollator* c) const { ucol_close(c); }
    };
    static const auto open = [](UCollationStrength strength) {
        UErrorCode status = U_ZERO_ERROR;
        const bool posix = std::string_view(uloc_getDefault()).starts_with("en_US_POSIX");
        std::unique_ptr<UCollator, Closer> collator(ucol_open(posix ? "" : nullptr, &status));
        ucol_setStrength(collator.get(), strength);
        return collator;
    };
    static const auto secondary = open(UCOL_SECONDARY), tertiary = open(UCOL_TERTIARY);
    const std::u16string x = DecodeText(a, ProcessCodePage()), y = DecodeText(b, ProcessCodePage());
    return Sign(ucol_strcoll((caseSensitive ? tertiary : secondary).get(), x.data(),
                             static_cast<int32_t>(x.size()), y.data(),
                             static_cast<int32_t>(y.size())));
}

std::u32string SimpleFolded(std::string_view text) {
    const std::u16string wide = DecodeText(text, ProcessCodePage());
    std::u32string folded;
    for (size_t i = 0; i < wide.size();) {
        UChar32 c;
        U16_NEXT(wide.data(), i, wide.size(), c);
        folded.push_back(static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
    }
    return folded;
}

// Every form of the comparison gives the same answer for the pair.
void ExpectConsistent(const std::string& a, const std::string& b, bool caseSensitive, int order) {
    const auto pair = [&] {
        return ::testing::Message() << '"' << a << "\" vs \"" << b << "\" " << caseSensitive;
    };
    const auto compare = caseSensitive ? AnsiCompareStr : AnsiCompareText;
    ASSERT_EQ(Sign(compare(b, a)), -order) << pair();
    ASSERT_EQ(Sign(AnsiCompareCollated(a, b, caseSensitive)), order) << pair();
    ASSERT_EQ(Sign(AnsiSortKey(a, caseSensitive).compare(AnsiSortKey(b, caseSensitive))), order)
        << pair();
    ASSERT_EQ(AnsiEqualityKey(a, caseSensitive) == AnsiEqualityKey(b, caseSensitive), order == 0)
        << pair();
    std::string keyA, keyB;
    if (AnsiAsciiSortKey(a, caseSensitive, keyA) && AnsiAsciiSortKey(b, caseSensitive, keyB)) {
        ASSERT_EQ(Sign(keyA.compare(keyB)), order) << pair();
    }
    if (!caseSensitive) {
        ASSERT_EQ(TSameTextMatcher(a)(b), order == 0) << pair();
    }
}

#ifdef LEX_TEST_CODEPAGES
TEST(TextCompareTest, RunsInTheCodePageItWasBuiltFor) {
    ASSERT_FALSE(test::TestCodePage.empty()) << "LEX_TEST_CODEPAGE names the code page under test";
    EXPECT_EQ(ProcessCodePage(), std::stoi(test::TestCodePage));
}
#endif

TEST(TextCompareTest, LocaleOrderIgnoringCaseOrNot) {
    EXPECT_EQ(AnsiCompareText("LexKey", "lexkey"), 0);
    EXPECT_NE(AnsiCompareStr("LexKey", "lexkey"), 0);
    EXPECT_LT(AnsiCompareText("1250", "936"), 0);
    EXPECT_LT(AnsiCompareText("ab", "B"), 0);
    EXPECT_LT(AnsiCompareText("a", "ab"), 0);
    EXPECT_EQ(AnsiSortKey("Save", false), AnsiSortKey("SAVE", false));
    EXPECT_NE(AnsiSortKey("Save", true), AnsiSortKey("SAVE", true));
}

// Texts the collator ties that are different keys, and case variants that
// are one key; rows the process's code page cannot hold are skipped.
TEST(TextCompareTest, OnlyTheSameTextIgnoringCaseIsEqual) {
    struct Row {
        std::u16string a, b;
        bool sameIgnoringCase;
    };
    const Row rows[] = {
        {u"Name:", u"Name\uFF1A", false}, // full-width colon
        {u"FILE", u"\uFF26\uFF29\uFF2C\uFF25", false},
        {u"\u3067\u30FC\u305F", u"\u30C7\u30FC\u30BF", false}, // hiragana, katakana
        {u"a\u0001b", u"a\u007Fb", false},
        {u"a\u0001b", u"ab", false},
        {u"\u00E9", u"e\u0301", false}, // precomposed and combining accent
        {u"Masse", u"Ma\u00DFe", false},
        {u"Kelvin", u"\u212Aelvin", true}, // the Kelvin sign folds to "k"
        {u"File", u"FILE", true},
        {u"\uFF26\uFF29\uFF2C\uFF25", u"\uFF46\uFF49\uFF4C\uFF45", true},
        {u"\u00C9t\u00E9", u"\u00E9T\u00C9", true},
        {u"\u03A3\u03B1", u"\u03C3\u0391", true},
        {u"\u4E2D\u6587", u"\u4E2D\u6587", true},
    };
    int checked = 0;
    for (const Row& row : rows) {
        const auto a = Encoded(row.a), b = Encoded(row.b);
        if (!a || !b) continue;
        ++checked;
        const bool same = *a == *b;
        EXPECT_EQ(AnsiCompareText(*a, *b) == 0, row.sameIgnoringCase) << *a << " vs " << *b;
        EXPECT_EQ(AnsiCompareStr(*a, *b) == 0, same) << *a << " vs " << *b;
        for (const bool caseSensitive : {false, true})
            ExpectConsistent(*a, *b, caseSensitive,
                             Sign((caseSensitive ? AnsiCompareStr : AnsiCompareText)(*a, *b)));
    }
    EXPECT_GE(checked, 5);
    // Bytes the code page may not define (GBK read as UTF-8) stay apart.
    for (const bool caseSensitive : {false, true}) {
        const auto compare = caseSensitive ? AnsiCompareStr : AnsiCompareText;
        EXPECT_NE(compare("\xC4\xE3", "\xBA\xC3"), 0);
        EXPECT_EQ(compare("\xC4\xE3", "\xC4\xE3"), 0);
        ExpectConsistent("\xC4\xE3", "\xBA\xC3", caseSensitive,
                         Sign(compare("\xC4\xE3", "\xBA\xC3")));
        ExpectConsistent("\xC4\xE3", "x", caseSensitive, Sign(compare("\xC4\xE3", "x")));
    }
}

// Random pairs, many of them twins the collator ties (case, width, kana,
// accents, control characters): where the collator orders them, so does the
// comparison; where it ties them, they are equal exactly when they fold to
// the same text (ignoring case) or are the same bytes. The printable-ASCII
// shortcut, the sort keys and the matcher agree on every pair.
TEST(TextCompareTest, CollatorOrderWithTiesBrokenByCodePoints) {
    const std::vector<std::vector<std::u16string>> twins = {
        {u"a", u"A", u"\uFF41", u"\uFF21"},
        {u"f", u"F", u"\uFF46", u"\uFF26"},
        {u"z", u"Z"},
        {u"1", u"\uFF11"},
        {u":", u"\uFF1A"},
        {u" ", u"-", u"_", u".", u"&", u"'", u"\"", u"(", u"~"},
        {u"e", u"E", u"\u00E9", u"\u00C9", u"\u00E8", u"e\u0301"},
        {u"\u3067", u"\u30C7"},
        {u"\u305F", u"\u30BF"},
        {u"\u30FC"},
        {u"\u03C3", u"\u03A3", u"\u03C2"},
        {u"k", u"K", u"\u212A"}, // Kelvin sign folds to k
        {u"\u4E2D", u"\u6587"},
        {u"", u"\u0001", u"\u007F", u"\u001F"},
    };
    // Each group as the process's code page holds it, and printable ASCII.
    std::vector<std::vector<std::string>> groups(1);
    for (char c = ' '; c <= '~'; ++c)
        groups[0].push_back(std::string(1, c));
    for (const auto& group : twins) {
        std::vector<std::string> held;
        for (const std::u16string& text : group)
            if (const auto bytes = Encoded(text)) held.push_back(*bytes);
        if (!held.empty()) groups.push_back(held);
    }
    std::mt19937 random(7);
    const auto pick = [&](const std::vector<std::string>& group) {
        return group[random() % group.size()];
    };
    for (int i = 0; i < 20000; ++i) {
        std::string a, b;
        const bool twin = random() % 2 == 0;
        for (size_t n = random() % 5; n > 0; --n) {
            const auto& group = groups[random() % groups.size()];
            a += pick(group);
            b += twin ? pick(group) : pick(groups[random() % groups.size()]);
        }
        for (const bool caseSensitive : {false, true}) {
            const int order = Sign(caseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b));
            const int collator = CollatorOrder(a, b, caseSensitive);
            if (collator != 0) {
                ASSERT_EQ(order, collator) << '"' << a << "\" vs \"" << b << '"' << caseSensitive;
            } else {
                const bool same = caseSensitive ? a == b : SimpleFolded(a) == SimpleFolded(b);
                ASSERT_EQ(order == 0, same) << '"' << a << "\" vs \"" << b << '"' << caseSensitive;
            }
            ExpectConsistent(a, b, caseSensitive, order);
        }
    }
}

TEST(TextCompareTest, NonAsciiTextsGoThroughTheCodePage) {
    // Bytes above 0x7F are decoded with the process's code page; whatever it
    // is, equal bytes compare equal and the answers stay consistent.
    const std::string high = "caf\xE9";
    EXPECT_EQ(AnsiCompareText(high, high), 0);
    EXPECT_EQ(Sign(AnsiCompareText(high, "cafe")), -Sign(AnsiCompareText("cafe", high)));
    // A matcher gives AnsiSameText's answers, whichever kind of text comes next.
    for (const std::string& pattern : {std::string("cafe"), std::string("CAFE"), high}) {
        const TSameTextMatcher same(pattern);
        for (const std::string& other : {high, std::string("Cafe"), std::string("caf"), high})
            EXPECT_EQ(same(other), AnsiSameText(pattern, other)) << pattern << " vs " << other;
    }
}

TEST(TextCompareTest, AMatcherMeetsTextsInTheirOwnCodePage) {
    // Whatever the process's code page, the texts decode with the one given.
    const struct {
        std::u16string text;
        int codePage;
        std::string other;
        bool same;
    } cases[] = {
        {u"\u6587\u4EF6", 936, "\xCE\xC4\xBC\xFE", true}, // 文件
        {u"\u6587\u4EF6", 936, "\xCE\xC4", false},
        {u"\u6587\u4EF6", 1252, "\xCE\xC4\xBC\xFE", false}, // 1252 cannot hold it
        {u"CAF\u00C9", 1252, "caf\xE9", true},
        {u"\u0414\u0410", 1251, "\xE4\xE0", true}, // ДА and да
        {u"File", 936, "fILE", true},
        {u"File", 936, "Files", false},
        {u"File", 1200, std::string("f\0i\0l\0e\0", 8), true}, // no ASCII bytes in UTF-16
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSameTextMatcher(c.text, c.codePage)(c.other), c.same)
            << c.codePage << " " << c.other;
}

} // namespace
} // namespace lex
