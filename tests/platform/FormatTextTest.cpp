#include "platform/Exceptions.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TEST(FormatTextTest, FillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText("field \"%s\" not found!", {"LexKey"}), "field \"LexKey\" not found!");
    EXPECT_EQ(FormatText("%s on line %d", {"Bad token", "12"}), "Bad token on line 12");
    EXPECT_EQ(FormatText("100%% of %s", {"x"}), "100% of x");
    EXPECT_EQ(FormatText("tab\there %s", {"a\tb"}), "tab\there a\tb");
    EXPECT_EQ(FormatText("trailing %", {}), "trailing %");
    EXPECT_EQ(FormatText("%x stays", {}), "%x stays");
}

TEST(FormatTextTest, TooFewArgumentsIsAnErrorNotARead) {
    EXPECT_THROW(FormatText("%s and %s", {"one"}), EConvertError);
}

} // namespace
} // namespace lex
