#include "app/HistoryFiles.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TEST(HistoryFiles, KeepsTenInOrderOfFirstUseIgnoringCase) {
    std::vector<std::string> history;
    for (int i = 0; i < 10; ++i)
        RememberHistoryFile(history, "/f" + std::to_string(i) + ".lxc");
    RememberHistoryFile(history, "/F3.LXC");
    EXPECT_EQ(history.size(), 10u);
    EXPECT_EQ(history[3], "/f3.lxc");
    RememberHistoryFile(history, "/new.lxc");
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.front(), "/f1.lxc");
    EXPECT_EQ(history.back(), "/new.lxc");
}

TEST(HistoryFiles, CaptionsCarryTheIndexAndTheNameAfterATab) {
    EXPECT_EQ(HistoryCaption(7, "/a/b.lxc").toStdString(), "&7\t/a/b.lxc");
    EXPECT_EQ(HistoryFileOfCaption(HistoryCaption(0, "/a/b.lxc")), "/a/b.lxc");
    // Only the first tab separates.
    EXPECT_EQ(HistoryFileOfCaption(QStringLiteral("&1\t/odd\tname")), "/odd\tname");
}

} // namespace
} // namespace lex
