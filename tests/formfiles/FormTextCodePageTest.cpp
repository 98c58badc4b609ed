#include "formfiles/FormTokenWalk.h"
#include "platform/CodePage.h"
#include "support/TestCodePage.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lex {
namespace {

std::string ValueOf(std::string_view Text) {
    std::vector<std::string> values;
    WalkFormText(Text, {}, [&](const TFormValue& Value, const TFormTextParser&) {
        values.push_back(Value.Text);
    });
    EXPECT_EQ(values.size(), 1u) << Text;
    return values.empty() ? std::string() : values[0];
}

TEST(FormTextCodePage, WideStringsBecomeTextInTheProcessCodePage) {
    ASSERT_FALSE(test::TestCodePage.empty()) << "LEX_TEST_CODEPAGE names the code page under test";
    ASSERT_EQ(ProcessCodePage(), std::stoi(test::TestCodePage));
    struct Case {
        std::string Text;
        std::string Utf8; // expected under 65001
        std::string Ansi; // expected under 1252
    };
    const std::vector<Case> cases{
        // Byte strings stay as they are, whatever the code page.
        {"A = '\xE4\xB8\xAD'#9", "\xE4\xB8\xAD\t", "\xE4\xB8\xAD\t"},
        {"A = 'caf' + #233", "caf\xC3\xA9", "caf\xE9"},
        // Inside a wide token a quoted byte is the unit of its own number.
        {"A = '\xE9'#8364", "\xC3\xA9\xE2\x82\xAC", "\xE9\x80"},
        // A byte piece joined to a wide one is read in the process's code page
        // (a byte that is no character there becomes U+FFFD).
        {"A = '\x80' + #233", "\xEF\xBF\xBD\xC3\xA9", "\x80\xE9"},
        // A surrogate pair split over two pieces is still one character.
        {"A = #55357 +\n #56832", "\xF0\x9F\x98\x80", "?"},
        {"A = #20013'x'", "\xE4\xB8\xADx", "?x"},
    };
    const bool utf8 = ProcessCodePage() == 65001;
    for (const Case& c : cases)
        EXPECT_EQ(ValueOf(c.Text), utf8 ? c.Utf8 : c.Ansi) << c.Text;
}

} // namespace
} // namespace lex
