#include "platform/FileUtil.h"

#include "platform/Exceptions.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lex {
namespace {

using test::SmallFileSystem;
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

// Runs `work` as an ordinary user (nobody), for the checks root bypasses.
template <typename Work>
void AsNobody(Work work) {
    ASSERT_EQ(::setegid(65534), 0);
    ASSERT_EQ(::seteuid(65534), 0);
    work();
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);
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

    // Others may write it: replaced, and the writer becomes its owner.
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0777));
    std::filesystem::permissions(path, std::filesystem::perms(0606));
    AsNobody([&] {
        EXPECT_NO_THROW(WriteFileAtomically(path, [](OutputStream& out) { out.Write("z"); }));
    });
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0606u);
    EXPECT_EQ(ReadFileBytes(path), "z");
}

// A file whose mode forbids writing stays as it is, though its folder would
// allow the rename: for root a file nobody may write, for anyone else a file
// they may not write; a folder they may not write refuses the temporary.
TEST(FileUtilTest, ReadOnlyFilesAndFoldersAreNotReplaced) {
    TempDir dir;
    const std::string path = dir / "checked-out.lxc";
    WriteFile(path, "precious");
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    try {
        WriteFileAtomically(path, [](OutputStream& out) { out.Write("new"); });
        FAIL() << "replaced";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Permission denied");
    }
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"checked-out.lxc"});

    if (::geteuid() != 0) GTEST_SKIP() << "changing to another user needs root";
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0777));
    std::filesystem::permissions(path, std::filesystem::perms(0644)); // root's, others read
    AsNobody([&] {
        EXPECT_THROW(WriteFileAtomically(path, [](OutputStream& out) { out.Write("new"); }),
                     EFCreateError);
    });
    EXPECT_EQ(ReadFileBytes(path), "precious");

    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    AsNobody([&] {
        EXPECT_THROW(WriteFileAtomically(dir / "fresh.lxc", [](OutputStream&) {}), EFCreateError);
    });
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"checked-out.lxc"});
}

// A save that knows what it read refuses, writing nothing, once someone else
// has changed the file; a file touched with the same bytes is no change.
TEST(FileUtilTest, ExpectedIdentityRefusesAFileChangedMeanwhile) {
    TempDir dir;
    const std::string path = dir / "shared.lxc";
    WriteFile(path, "first");
    FileIdentity read;
    EXPECT_EQ(ReadFileBytes(path, &read), "first");
    EXPECT_EQ(read, CurrentFileIdentity(path));

    const timespec later[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_TRUE(FileUnchanged(path, read));
    const FileIdentity written = WriteFileAtomically(
        path, [](OutputStream& out) { out.Write("second"); }, &read);
    EXPECT_EQ(written, CurrentFileIdentity(path));

    WriteFile(path, "theirs");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0); // same size, time moved
    EXPECT_FALSE(FileUnchanged(path, written));
    try {
        WriteFileAtomically(
            path, [](OutputStream& out) { out.Write("mine"); }, &written);
        FAIL() << "replaced";
    } catch (const EFileChanged& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File \"" + path + "\" was changed by another program since it was read");
    }
    // Changed while we were writing: caught just before the rename.
    const FileIdentity theirs = CurrentFileIdentity(path);
    EXPECT_THROW(WriteFileAtomically(
                     path,
                     [&](OutputStream& out) {
                         out.Write("mine");
                         WriteFile(path, "theirs, longer");
                     },
                     &theirs),
                 EFileChanged);
    EXPECT_EQ(ReadFileBytes(path), "theirs, longer");
    // A file that was not there when read must still not be there.
    const FileIdentity absent = CurrentFileIdentity(dir / "new.lxc");
    EXPECT_FALSE(absent.Exists);
    EXPECT_NO_THROW(WriteFileAtomically(
        dir / "new.lxc", [](OutputStream&) {}, &absent));
    EXPECT_THROW(WriteFileAtomically(
                     dir / "new.lxc", [](OutputStream&) {}, &absent),
                 EFileChanged);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"new.lxc", "shared.lxc"}));
}

TEST(FileUtilTest, HashDoesNotDependOnHowTheBytesArrive) {
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    for (const size_t cut : {size_t{1}, size_t{31}, size_t{32}, size_t{33}, size_t{500}}) {
        ByteHasher hasher;
        for (size_t at = 0; at < bytes.size(); at += cut)
            hasher.Add(std::string_view(bytes).substr(at, cut));
        EXPECT_EQ(hasher.Finish(), HashBytes(bytes)) << cut;
    }
    std::string other = bytes;
    other[999] ^= 1;
    EXPECT_NE(HashBytes(other), HashBytes(bytes));
    EXPECT_NE(HashBytes(bytes.substr(0, 999)), HashBytes(bytes.substr(0, 999) + '\0'));
}

// A pid that no process has: a child that has already been reaped.
pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A crashed save left its temporary behind: the next save of the same file
// removes it, but not one of a save still running nor another file's.
TEST(FileUtilTest, NextSaveRemovesTemporariesOfDeadSaves) {
    TempDir dir;
    const std::string dead = std::to_string(DeadPid());
    const std::string alive = std::to_string(::getppid());
    for (const std::string& name : {".a.lxc." + dead + ".Ab3xYz", ".a.lxc." + alive + ".Ab3xYz",
                                    ".b.lxc." + dead + ".Ab3xYz", ".a.lxc." + dead + ".short"})
        WriteFile(dir / name, "left over");
    WriteFileAtomically(dir / "a.lxc", [](OutputStream& out) { out.Write("saved"); });
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{".a.lxc." + alive + ".Ab3xYz", ".a.lxc." + dead + ".short",
                                        ".b.lxc." + dead + ".Ab3xYz", "a.lxc"}));
}

// A real full file system, where the machine lets us mount one.
TEST(FileUtilTest, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    const SmallFileSystem disk(64 << 10);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string path = disk / "big.lxb";
    WriteFile(path, std::string(40 << 10, 'o'));
    EXPECT_THROW(
        WriteFileAtomically(path, [](OutputStream& out) { out.Write(std::string(40 << 10, 'n')); }),
        EWriteError);
    EXPECT_EQ(ReadFileBytes(path), std::string(40 << 10, 'o'));
    EXPECT_EQ(disk.Dir().Entries(), std::vector<std::string>{"big.lxb"});
}

} // namespace
} // namespace lex
