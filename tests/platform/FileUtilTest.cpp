#include "platform/FileUtil.h"

#include "platform/Exceptions.h"
#include "support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

} // namespace
} // namespace lex
