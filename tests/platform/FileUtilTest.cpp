#include "platform/FileUtil.h"

#include "platform/Exceptions.h"
#include "support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {
namespace {

using test::TempDir;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FileUtilTest, ReplacesTheFileAndLeavesNothingElse) {
    TempDir dir;
    const std::string path = dir / "out.lxc";
    WriteFile(path, "old");
    WriteFileAtomically(path, [](OutputStream& out) {
        out.Write("new ");
        out.Write(std::string(3 << 20, 'x')); // larger than the write buffer
    });
    EXPECT_EQ(ReadFileBytes(path), "new " + std::string(3 << 20, 'x'));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.lxc"});
}

TEST(FileUtilTest, FailuresKeepTheOldFileAndRemoveTheTemporary) {
    TempDir dir;
    const std::string path = dir / "out.lxb";
    WriteFile(path, "precious");

    EXPECT_THROW(WriteFileAtomically(path,
                                     [](OutputStream& out) {
                                         out.Write(std::string(2 << 20, 'x'));
                                         throw EAbort();
                                     }),
                 EAbort);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.lxb"});

    // A full disk: the file-size limit makes writes fail the same way.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 1 << 20;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(WriteFileAtomically(path,
                                     [](OutputStream& out) {
                                         for (int i = 0; i < 8; ++i)
                                             out.Write(std::string(1 << 19, 'y'));
                                     }),
                 EWriteError);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.lxb"});
}

TEST(FileUtilTest, ErrorsNameTheFile) {
    TempDir dir;
    const std::string missingFolder = dir / "no/such/folder/x.lxb";
    try {
        WriteFileAtomically(missingFolder, [](OutputStream&) {});
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + missingFolder, 0), 0u)
            << e.what();
    }
    try {
        ReadFileBytes(dir / "missing.lxc");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.lxc"), std::string::npos) << e.what();
    }
}

TEST(FileUtilTest, NewFileGetsTheTargetsMode) {
    TempDir dir;
    const std::string path = dir / "mode.lxc";
    WriteFile(path, "x");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    WriteFileAtomically(path, [](OutputStream& out) { out.Write("y"); });
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Saving through a link writes the file it names, in that file's folder; the
// link stays, and so does every link of a chain.
TEST(FileUtilTest, SavingThroughALinkWritesItsTarget) {
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_directory(dir / "data");
    fs::create_directory(dir / "links");
    WriteFile(dir / "data/real.lxc", "old");
    fs::permissions(dir / "data/real.lxc", fs::perms(0640));
    fs::create_symlink("../data/real.lxc", dir / "links/first.lxc");
    fs::create_symlink(dir / "links/first.lxc", dir / "links/second.lxc");
    fs::create_symlink("../data/fresh.lxc", dir / "links/dangling.lxc");

    WriteFileAtomically(dir / "links/second.lxc", [](OutputStream& out) { out.Write("new"); });
    WriteFileAtomically(dir / "links/dangling.lxc", [](OutputStream& out) { out.Write("made"); });

    EXPECT_EQ(ReadFileBytes(dir / "data/real.lxc"), "new");
    EXPECT_EQ(fs::status(dir / "data/real.lxc").permissions(), fs::perms(0640));
    EXPECT_EQ(ReadFileBytes(dir / "data/fresh.lxc"), "made");
    EXPECT_EQ(fs::read_symlink(dir / "links/first.lxc"), "../data/real.lxc");
    EXPECT_EQ(fs::read_symlink(dir / "links/second.lxc"), dir / "links/first.lxc");
    EXPECT_EQ(fs::read_symlink(dir / "links/dangling.lxc"), "../data/fresh.lxc");
    EXPECT_EQ(Names(dir / "data"), (std::vector<std::string>{"fresh.lxc", "real.lxc"}));

    // Links that lead round in a circle are an error, and nothing is written.
    fs::create_symlink("loop2.lxc", dir / "links/loop1.lxc");
    fs::create_symlink("loop1.lxc", dir / "links/loop2.lxc");
    EXPECT_THROW(WriteFileAtomically(dir / "links/loop1.lxc", [](OutputStream&) {}), EFCreateError);
    EXPECT_EQ(Names(dir / "links"),
              (std::vector<std::string>{"dangling.lxc", "first.lxc", "loop1.lxc", "loop2.lxc",
                                        "second.lxc"}));
}

// Only root can give a file away, so only root can check that it does; and
// as someone else, replacing another's file in a shared folder still works.
TEST(FileUtilTest, NewFileKeepsTheTargetsOwnerWhereItMay) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    TempDir dir;
    const std::string path = dir / "owned.lxc";
    WriteFile(path, "x");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    std::filesystem::permissions(path, std::filesystem::perms(0604));
    WriteFileAtomically(path, [](OutputStream& out) { out.Write("y"); });
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
    EXPECT_EQ(info.st_mode & 07777, 0604u);

    std::filesystem::permissions(dir.path(), std::filesystem::perms(0777));
    ASSERT_EQ(::setegid(65534), 0);
    ASSERT_EQ(::seteuid(65534), 0);
    EXPECT_NO_THROW(WriteFileAtomically(path, [](OutputStream& out) { out.Write("z"); }));
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(ReadFileBytes(path), "z");
}

} // namespace
} // namespace lex
