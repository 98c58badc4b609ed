#include "app/AppModules.h"

#include "app/LumoOption.h"
#include "platform/CodePageCatalog.h"
#include "platform/FileUtil.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/LumoMultiLexReader.h"
#include "runtime/qt/LumoMultiClassMethod.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace lex {
namespace {

using test::TempDir;

void ExpectAllDown() {
    EXPECT_EQ(LumoOption, nullptr);
    EXPECT_EQ(CodePageList, nullptr);
    EXPECT_EQ(MultiLexStorage, nullptr);
    EXPECT_EQ(MultiStreamLexReaderStorage, nullptr);
    EXPECT_EQ(MultiClassMethodStorage, nullptr);
}

TEST(AppModulesTest, StartUpReadsTheOptionsAndShutdownWritesThem) {
    TempDir dir;
    const std::string path = dir / "LexManager.ini";
    std::ofstream(path) << "[Editor]\nEditorStyle=3\n[HistoryFile]\n0=/a.lxc\n";
    {
        const AppModules modules(path);
        ASSERT_NE(MultiStreamLexReaderStorage, nullptr);
        ASSERT_NE(MultiLexStorage, nullptr);
        ASSERT_NE(MultiClassMethodStorage, nullptr);
        ASSERT_NE(LumoOption, nullptr);
        ASSERT_NE(CodePageList, nullptr);
        EXPECT_EQ(LumoOption->EditorStyle, TEditorStyle::Panel);
        EXPECT_NE(CodePageList->Find("936"), nullptr);
        LumoOption->HistoryFiles.push_back("/b.lxc");
    }
    ExpectAllDown();
    const std::string text = ReadFileBytes(path);
    EXPECT_NE(text.find("EditorStyle=3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[HistoryFile]\n0=/a.lxc\n1=/b.lxc\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[ToolBar]\n"), std::string::npos) << text;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"LexManager.ini"});
}

// Each start-up has its own options, read from the file the one before
// wrote; a start-up over live options replaces them (the sanitizer build
// watches that nothing leaks or is freed twice).
TEST(AppModulesTest, ASecondStartUpBeginsAfresh) {
    TempDir dir;
    const std::string path = dir / "LexManager.ini";
    for (const char* file : {"/a.lxc", "/b.lxc"}) {
        const AppModules modules(path);
        LumoOption->HistoryFiles.push_back(file);
    }
    ExpectAllDown();
    InitializeLumoOption(path);
    LumoOption->CaseSensitive = true;
    InitializeLumoOption(path);
    EXPECT_FALSE(LumoOption->CaseSensitive);
    EXPECT_EQ(LumoOption->HistoryFiles, (std::vector<std::string>{"/a.lxc", "/b.lxc"}));
    FinalizeLumoOption();
    EXPECT_EQ(LumoOption, nullptr);
}

TEST(AppModulesTest, AnUnreadableOptionsFileIsNeitherReadNorReplaced) {
    TempDir dir;
    const std::string path = dir / "LexManager.ini";
    std::filesystem::create_directory(path);
    testing::internal::CaptureStderr();
    {
        const AppModules modules(path);
        ASSERT_NE(LumoOption, nullptr);
        EXPECT_EQ(LumoOption->EditorStyle, TEditorStyle::Simple);
        LumoOption->CaseSensitive = true;
    }
    const std::string report = testing::internal::GetCapturedStderr();
    ExpectAllDown();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_NE(report.find("not read"), std::string::npos) << report;
    EXPECT_NE(report.find("not saved"), std::string::npos) << report;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"LexManager.ini"});
}

} // namespace
} // namespace lex
