#include "platform/TextCompare.h"

#include <gtest/gtest.h>
#include <random>

namespace lex {
namespace {

int Sign(int x) {
    return (x > 0) - (x < 0);
}

TEST(TextCompareTest, LocaleOrderIgnoringCaseOrNot) {
    EXPECT_EQ(AnsiCompareText("LexKey", "lexkey"), 0);
    EXPECT_NE(AnsiCompareStr("LexKey", "lexkey"), 0);
    EXPECT_LT(AnsiCompareText("1250", "936"), 0);
    EXPECT_LT(AnsiCompareText("ab", "B"), 0);
    EXPECT_LT(AnsiCompareText("a", "ab"), 0);
    EXPECT_EQ(AnsiSortKey("Save", false), AnsiSortKey("SAVE", false));
    EXPECT_NE(AnsiSortKey("Save", true), AnsiSortKey("SAVE", true));
}

// The printable-ASCII shortcut and the sort keys must agree with the collator
// on every pair, in both strengths.
TEST(TextCompareTest, ShortcutAndSortKeysAgreeWithTheCollator) {
    std::mt19937 random(7);
    const std::string alphabet = "aAbBzZ019 -_.,&'\"()[]~";
    const auto text = [&] {
        std::string s(random() % 5, ' ');
        for (char& c : s)
            c = random() % 8 == 0 ? static_cast<char>(0x20 + random() % 95)
                                  : alphabet[random() % alphabet.size()];
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string a = text(), b = text();
        ASSERT_EQ(TSameTextMatcher(a)(b), AnsiCompareCollated(a, b, false) == 0)
            << '"' << a << "\" vs \"" << b << '"';
        for (const bool caseSensitive : {false, true}) {
            const int expected = Sign(AnsiCompareCollated(a, b, caseSensitive));
            const int fast = Sign(caseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b));
            ASSERT_EQ(fast, expected) << '"' << a << "\" vs \"" << b << '"' << caseSensitive;
            ASSERT_EQ(Sign(AnsiSortKey(a, caseSensitive).compare(AnsiSortKey(b, caseSensitive))),
                      expected)
                << '"' << a << "\" vs \"" << b << '"';
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

} // namespace
} // namespace lex
