#include "runtime/LexFiles.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

namespace lex {
namespace {

using LexFilesTest = test::RuntimeTest;

TEST_F(LexFilesTest, EveryFormatConvertsIntoEveryOther) {
    test::TempDir dir;
    const char* extensions[] = {".lxb", ".lxc", ".lxd"};
    for (const char* from : extensions) {
        auto source = test::AwkwardLexicon();
        const std::string first = dir / (std::string("first") + from);
        WriteLexFile(source, first);
        for (const char* to : extensions) {
            const std::string second = dir / (std::string("second") + to);
            WriteLexFile(*OpenLexFile(first), second);
            const auto reader = OpenLexFile(second);
            EXPECT_EQ(test::ReadAll(*reader), test::AwkwardRecords()) << from << " to " << to;
        }
    }
}

TEST_F(LexFilesTest, ReaderIDOverridesTheExtension) {
    test::TempDir dir;
    auto source = test::AwkwardLexicon();
    WriteLexFile(source, dir / "binary.lxb");
    std::filesystem::rename(dir / "binary.lxb", dir / "binary.dat");
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "binary.dat", "lumobinary")),
              test::AwkwardRecords());
    EXPECT_THROW(OpenLexFile(dir / "binary.dat", "Nope"), Exception);
}

TEST_F(LexFilesTest, FailedWriteKeepsTheOldFile) {
    test::TempDir dir;
    const std::string path = dir / "keep.lxc";
    auto source = test::AwkwardLexicon();
    WriteLexFile(source, path);
    const std::string before = ReadFileBytes(path);
    auto other = test::AwkwardLexicon();
    EXPECT_THROW(WriteLexFile(other, path,
                              [](auto values, double, bool&) {
                                  if (values[0] == "ctl") throw EAbort();
                              }),
                 EAbort);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"keep.lxc"});
}

} // namespace
} // namespace lex
