#include "app/LumoOption.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <tuple>

namespace lex {
namespace {

using test::TempDir;
using Lines = std::vector<std::string>;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

constexpr const char* DefaultFile = "[Font]\n"
                                    "FontName=\n"
                                    "FontSize=0\n"
                                    "\n"
                                    "[Editor]\n"
                                    "EditorStyle=2\n"
                                    "ShowEditorGrid=1\n"
                                    "ImmediateEdit=1\n"
                                    "KeyColumnWidth=140\n"
                                    "\n"
                                    "[ToolBar]\n"
                                    "ShowToolBarMenu=1\n"
                                    "ShowToolBarFile=1\n"
                                    "ShowToolBarEdit=1\n"
                                    "ShowToolBarDB=1\n"
                                    "ShowToolBarSearch=1\n"
                                    "ShowToolBarDFM=1\n"
                                    "\n"
                                    "[Content]\n"
                                    "CaseSensitive=0\n"
                                    "ChinesePhrases=1\n"
                                    "\n"
                                    "[Window]\n"
                                    "Maximized=1\n"
                                    "Left=0\n"
                                    "Top=0\n"
                                    "Width=0\n"
                                    "Height=0\n"
                                    "ToolBarLayout=\n";

TEST(LumoOptionTest, NoFileGivesDefaultsAndSaveWritesEveryKey) {
    TempDir dir;
    const std::string path = dir / "LexManager.ini";
    TLumoOption option(path);
    EXPECT_EQ(option.CodePage, std::to_string(ProcessCodePage()));
    EXPECT_EQ(option.SeqNo, "0");
    EXPECT_EQ(option.Font, TLexFont{});
    EXPECT_EQ(option.EditorStyle, TEditorStyle::Simple);
    for (const bool on : {option.ShowEditorGrid, option.ImmediateEdit, option.ShowToolBarMenu,
                          option.ShowToolBarFile, option.ShowToolBarEdit, option.ShowToolBarDB,
                          option.ShowToolBarSearch, option.ShowToolBarDFM, option.ChinesePhrases})
        EXPECT_TRUE(on);
    EXPECT_FALSE(option.CaseSensitive);
    EXPECT_TRUE(option.HistoryFiles.empty());
    EXPECT_TRUE(option.DBParams.empty());
    EXPECT_FALSE(std::filesystem::exists(path));

    option.SaveToIni();
    EXPECT_EQ(ReadFileBytes(path), DefaultFile);
}

TEST(LumoOptionTest, EveryFieldSurvivesASaveAndALoad) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    TLumoOption saved(path);
    saved.Font = {"DejaVu Sans", 11, 0};
    saved.EditorStyle = TEditorStyle::Panel;
    saved.ShowEditorGrid = false;
    saved.ImmediateEdit = false;
    saved.ShowToolBarMenu = false;
    saved.ShowToolBarFile = false;
    saved.ShowToolBarEdit = false;
    saved.ShowToolBarDB = false;
    saved.ShowToolBarSearch = false;
    saved.ShowToolBarDFM = false;
    saved.CaseSensitive = true;
    saved.HistoryFiles = {"/data/a.lxc", "/data/b c.lxb"};
    saved.DBParams = {"HostName=db", "libraryname=libsqlpg.so"};
    saved.WindowLeft = -1200; // on a screen left of the primary one
    saved.WindowTop = 40;
    saved.WindowWidth = 1000;
    saved.WindowHeight = 700;
    saved.WindowMaximized = false;
    saved.ToolBarLayout = "AAAA/wAAAAD9AAAAAA==";
    saved.KeyColumnWidth = 260;
    saved.SaveToIni();

    const TLumoOption loaded(path);
    EXPECT_EQ(loaded.Font, saved.Font);
    EXPECT_EQ(loaded.EditorStyle, TEditorStyle::Panel);
    for (const bool on : {loaded.ShowEditorGrid, loaded.ImmediateEdit, loaded.ShowToolBarMenu,
                          loaded.ShowToolBarFile, loaded.ShowToolBarEdit, loaded.ShowToolBarDB,
                          loaded.ShowToolBarSearch, loaded.ShowToolBarDFM})
        EXPECT_FALSE(on);
    EXPECT_TRUE(loaded.CaseSensitive);
    EXPECT_EQ(loaded.HistoryFiles, saved.HistoryFiles);
    EXPECT_EQ(loaded.DBParams, saved.DBParams);
    EXPECT_EQ(loaded.LibraryName, "libsqlpg.so");
    EXPECT_EQ(std::make_tuple(loaded.WindowLeft, loaded.WindowTop, loaded.WindowWidth,
                              loaded.WindowHeight, loaded.WindowMaximized),
              std::make_tuple(-1200, 40, 1000, 700, false));
    EXPECT_EQ(loaded.ToolBarLayout, saved.ToolBarLayout);
    EXPECT_EQ(loaded.KeyColumnWidth, 260);
}

TEST(LumoOptionTest, ReadsValuesAsTheyStand) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    WriteFile(path, "[font]\nfontname=Noto Sans CJK SC\nfontsize=0x10\n"
                    "[Editor]\nEditorStyle=1\nShowEditorGrid=yes\nImmediateEdit=$0\n"
                    "[ToolBar]\nShowToolBarDB=-3\nShowToolBarDFM=0\n"
                    "[Content]\nCaseSensitive=2\n"
                    "[HistoryFile]\n1=/second.lxc\n0=/first.lxb\n");
    const TLumoOption option(path);
    EXPECT_EQ(option.Font.Name, "Noto Sans CJK SC");
    EXPECT_EQ(option.Font.Size, 16);
    EXPECT_EQ(option.EditorStyle,
              static_cast<TEditorStyle>(1)); // kept; the main window decides what it shows
    EXPECT_TRUE(option.ShowEditorGrid);      // unreadable: the default
    EXPECT_FALSE(option.ImmediateEdit);
    EXPECT_TRUE(option.ShowToolBarDB);
    EXPECT_FALSE(option.ShowToolBarDFM);
    EXPECT_TRUE(option.ShowToolBarMenu); // missing: the default
    EXPECT_TRUE(option.CaseSensitive);
    EXPECT_EQ(option.HistoryFiles, (Lines{"/second.lxc", "/first.lxb"})); // file order
}

TEST(LumoOptionTest, UnreadableIntegersKeepTheDefaults) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    for (const char* style : {"abc", "300", "-1", ""}) {
        WriteFile(path, std::string("[Font]\nFontSize=big\n[Editor]\nEditorStyle=") + style +
                            "\n[Content]\nCaseSensitive=true\n");
        const TLumoOption option(path);
        EXPECT_EQ(option.EditorStyle, TEditorStyle::Simple) << style;
        EXPECT_EQ(option.Font.Size, 0);
        EXPECT_FALSE(option.CaseSensitive);
    }
    // Sizes and places out of any screen's reach are garbage too.
    WriteFile(path, "[Editor]\nKeyColumnWidth=0\n"
                    "[Window]\nLeft=abc\nTop=-999999\nWidth=-5\nHeight=2147483647\n");
    const TLumoOption option(path);
    EXPECT_EQ(std::make_tuple(option.KeyColumnWidth, option.WindowLeft, option.WindowTop,
                              option.WindowWidth, option.WindowHeight),
              std::make_tuple(TLumoOption::DefaultKeyColumnWidth, 0, 0, 0, 0));
}

TEST(LumoOptionTest, DataBaseSectionFillsDBParamsAndTheNamedFields) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    WriteFile(path, "[DataBase]\nDriverName=PostgreSQL\ngetdriverfunc=getSQLDriverPOSTGRESQL\n"
                    "VENDORLIB=libpq.so.5\nCustom=a=b\n");
    TLumoOption option(path);
    EXPECT_EQ(option.DBParams,
              (Lines{"DriverName=PostgreSQL", "getdriverfunc=getSQLDriverPOSTGRESQL",
                     "VENDORLIB=libpq.so.5", "Custom=a=b"}));
    EXPECT_EQ(option.GetDriverFunc, "getSQLDriverPOSTGRESQL");
    EXPECT_EQ(option.VendorLib, "libpq.so.5");
    EXPECT_EQ(option.LibraryName, "");
    EXPECT_EQ(option.DBParamValue("customer"), "");
    EXPECT_EQ(option.DBParamValue("CUSTOM"), "a=b");

    // Without a file given, the options file is read again.
    WriteFile(path, "[DataBase]\nLibraryName=libsqlite.so\n");
    option.LoadDBParams(nullptr);
    EXPECT_EQ(option.DBParams, Lines{"LibraryName=libsqlite.so"});
    EXPECT_EQ(option.LibraryName, "libsqlite.so");
    EXPECT_EQ(option.GetDriverFunc, "");
    EXPECT_EQ(option.VendorLib, "");

    // A file of another name can stand in.
    WriteFile(dir / "other.ini", "[database]\nHostName=h\n");
    const TIniFile other(dir / "other.ini");
    option.LoadDBParams(&other);
    EXPECT_EQ(option.DBParams, Lines{"HostName=h"});

    // Gone: the parameters empty, and no file made.
    std::filesystem::remove(path);
    option.LoadDBParams(nullptr);
    EXPECT_TRUE(option.DBParams.empty());
    EXPECT_EQ(option.LibraryName, "");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(LumoOptionTest, SaveTrimsDBParamsAndLeavesOtherKeysAlone) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    WriteFile(path, "; written by hand\n"
                    "[HistoryFile]\n0=/a.lxc\n1=/b.lxc\n2=/c.lxc\n"
                    "[DataBase]\nPassword=secret\nHostName=old\n"
                    "[Mine]\nkeep=me\n");
    TLumoOption option(path);
    option.HistoryFiles = {"/z.lxc", "/bad\nname.lxc", "/y.lxc"};
    option.DBParams = {"  HostName  =  db.example.org  ", "no equals sign", " = nameless",
                       "Database= lex "};
    option.SaveToIni();

    const std::string text = ReadFileBytes(path);
    EXPECT_NE(text.find("; written by hand\n"), std::string::npos);
    EXPECT_NE(text.find("[HistoryFile]\n0=/z.lxc\n1=/y.lxc\n2=/c.lxc\n"), std::string::npos);
    EXPECT_NE(text.find("[DataBase]\nPassword=secret\nHostName=db.example.org\nDatabase=lex\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Mine]\nkeep=me\n"), std::string::npos);
    EXPECT_EQ(text.find("no equals"), std::string::npos);
    EXPECT_EQ(text.find("nameless"), std::string::npos);

    // Keys left over from longer lists come back on the next load.
    const TLumoOption reloaded(path);
    EXPECT_EQ(reloaded.HistoryFiles, (Lines{"/z.lxc", "/y.lxc", "/c.lxc"}));
    EXPECT_EQ(reloaded.DBParams,
              (Lines{"Password=secret", "HostName=db.example.org", "Database=lex"}));
}

TEST(LumoOptionTest, GlobalSavesAtFinalisationAndReportsAFailure) {
    TempDir dir;
    InitializeLumoOption(dir / "o.ini");
    ASSERT_NE(LumoOption, nullptr);
    LumoOption->CaseSensitive = true;
    FinalizeLumoOption();
    EXPECT_EQ(LumoOption, nullptr);
    EXPECT_TRUE(TLumoOption(dir / "o.ini").CaseSensitive);

    InitializeLumoOption(dir / "missing-folder/o.ini");
    testing::internal::CaptureStderr();
    FinalizeLumoOption(); // must not throw
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LumoOption, nullptr);
    EXPECT_NE(report.find("options were not saved"), std::string::npos) << report;
    EXPECT_NE(report.find("missing-folder"), std::string::npos) << report;
}

// Two instances end one after the other: the second keeps what the first
// saved meanwhile where it changed nothing itself.
TEST(LumoOptionTest, SaveKeepsWhatAnotherInstanceSavedMeanwhile) {
    TempDir dir;
    const std::string path = dir / "o.ini";
    TLumoOption first(path);
    first.SaveToIni();
    TLumoOption early(path);
    TLumoOption late(path);
    early.CaseSensitive = true;
    early.HistoryFiles = {"/data/a.lxc"};
    early.SaveToIni();
    late.KeyColumnWidth = 300;
    late.SaveToIni();

    const TLumoOption merged(path);
    EXPECT_TRUE(merged.CaseSensitive);
    EXPECT_EQ(merged.HistoryFiles, std::vector<std::string>{"/data/a.lxc"});
    EXPECT_EQ(merged.KeyColumnWidth, 300);

    // A read-only options file stays as it is.
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    late.KeyColumnWidth = 400;
    EXPECT_THROW(late.SaveToIni(), EFCreateError);
    EXPECT_EQ(TLumoOption(path).KeyColumnWidth, 300);
}

TEST(LumoOptionTest, DefaultOptionsPathReplacesTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/LexManager", "/usr/bin/LexManager.ini"},
        {"/opt/lex.d/LexManager.exe", "/opt/lex.d/LexManager.ini"},
        {"LexManager.bin.old", "LexManager.bin.ini"},
    };
    for (const auto& [program, options] : cases)
        EXPECT_EQ(DefaultOptionsPath(program), options);
    const std::filesystem::path running = DefaultOptionsPath();
    EXPECT_TRUE(running.is_absolute());
    EXPECT_EQ(running.filename(), "app_tests.ini");
}

} // namespace
} // namespace lex
