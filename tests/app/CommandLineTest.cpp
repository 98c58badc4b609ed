#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

using Kind = TCommandLine::Kind;

TEST(CommandLineTest, NameAndSwitch) {
    struct Case {
        std::vector<std::string> args;
        TCommandLine expected;
    };
    const Case cases[] = {
        {{"a.lxc", "/F"}, {Kind::File, "a.lxc"}},
        {{"a.lxc", "/f"}, {Kind::File, "a.lxc"}},
        {{"FORMLEX", "/D"}, {Kind::Table, "FORMLEX"}},
        {{"public.formlex", "/d"}, {Kind::Table, "public.formlex"}},
        {{"a.lxc", "/F", "more", "/D"}, {Kind::File, "a.lxc"}}, // the rest is ignored
        {{"/F", "/D"}, {Kind::Table, "/F"}},                    // the name is taken as given
        {{}, {}},
        {{"a.lxc"}, {}},
        {{"/F"}, {}},
        {{"a.lxc", "-F"}, {}},
        {{"a.lxc", "/X"}, {}},
        {{"a.lxc", "/FF"}, {}},
        {{"a.lxc", "F"}, {}},
        {{"a.lxc", ""}, {}},
        {{"a.lxc", "b.lxc", "/F"}, {}}, // the switch must be second
    };
    for (const Case& c : cases) {
        const TCommandLine parsed = ParseCommandLine(c.args);
        EXPECT_EQ(parsed.kind, c.expected.kind) << testing::PrintToString(c.args);
        EXPECT_EQ(parsed.name, c.expected.name) << testing::PrintToString(c.args);
    }
}

} // namespace
} // namespace lex
