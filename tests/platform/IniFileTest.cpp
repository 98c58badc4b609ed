#include "platform/IniFile.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace lex {
namespace {

using test::TempDir;
using Pairs = std::vector<std::pair<std::string, std::string>>;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(IniFileTest, MissingFileIsEmptyAndUpdateCreatesIt) {
    TempDir dir;
    TIniFile ini(dir / "new.ini");
    EXPECT_FALSE(ini.FileExists());
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(ini.ReadString("A", "x", "dflt"), "dflt");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{});

    ini.WriteString("A", "x", "1");
    ini.WriteInteger("B", "y", -7);
    ini.WriteBool("A", "z", false);
    EXPECT_FALSE(ini.FileExists()); // nothing on disk before UpdateFile
    ini.UpdateFile();
    EXPECT_TRUE(ini.FileExists());
    EXPECT_EQ(ReadFileBytes(dir / "new.ini"), "[A]\nx=1\nz=0\n\n[B]\ny=-7\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new.ini"});
}

TEST(IniFileTest, ReadsNamesIgnoringCaseAndTrimmed) {
    TempDir dir;
    WriteFile(dir / "a.ini", "; comment\n[Font]\n  FontName  =  Arial Unicode  \nFONTSIZE=12\n"
                             "[ empty ]\n[font]\nextra=yes\n");
    const TIniFile ini(dir / "a.ini");
    EXPECT_EQ(ini.ReadString("FONT", "fontname", ""), "Arial Unicode");
    EXPECT_EQ(ini.ReadInteger("font", "FontSize", 0), 12);
    EXPECT_TRUE(ini.SectionExists("Empty"));
    EXPECT_EQ(ini.ReadSection("EMPTY"), std::vector<std::string>{});
    // A section that appears twice reads as one.
    EXPECT_EQ(ini.ReadSection("Font"), (std::vector<std::string>{"FontName", "FONTSIZE", "extra"}));
    EXPECT_TRUE(ini.ValueExists("FONT", "Extra"));
    EXPECT_FALSE(ini.ValueExists("Font", "Missing"));
    EXPECT_FALSE(ini.ValueExists("Other", "FontName"));
}

TEST(IniFileTest, IntegersAndBooleans) {
    struct Case {
        const char* text;
        int expected; // with default 99
    };
    const Case cases[] = {
        {"42", 42},
        {"-42", -42},
        {"+5", 5},
        {"0x10", 16},
        {"0X1f", 31},
        {"$10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 99},
        {"$100000000", 99},
        {"0x", 99},
        {"$", 99},
        {"", 99},
        {"12abc", 99},
        {"1 2", 99},
        {"true", 99},
        {"0x1g", 99},
        {"-", 99},
        {"1.5", 99},
    };
    TempDir dir;
    std::string text = "[N]\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        text += "k" + std::to_string(i) + "=" + cases[i].text + "\n";
    WriteFile(dir / "n.ini", text);
    const TIniFile ini(dir / "n.ini");
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 99), cases[i].expected)
            << cases[i].text;

    // Booleans are integers: non-zero is true, unreadable is the default.
    WriteFile(dir / "b.ini", "[B]\nzero=0\ntwo=2\nhex=$0\nword=true\n");
    const TIniFile bools(dir / "b.ini");
    EXPECT_FALSE(bools.ReadBool("B", "zero", true));
    EXPECT_TRUE(bools.ReadBool("B", "two", false));
    EXPECT_FALSE(bools.ReadBool("B", "hex", true));
    EXPECT_FALSE(bools.ReadBool("B", "word", false));
    EXPECT_TRUE(bools.ReadBool("B", "word", true));
}

TEST(IniFileTest, WritingTouchesOnlyItsLine) {
    TempDir dir;
    const std::string path = dir / "keep.ini";
    WriteFile(path, "stray=before any section\n"
                    "[Editor]\n"
                    "; keep this comment\n"
                    "  editorstyle = 3  \n"
                    "no equals sign\n"
                    "=empty name\n"
                    "Unknown=kept\n"
                    "\n"
                    "; about the next section\n"
                    "[Other]\n"
                    "a=1\n");
    TIniFile ini(path);
    ini.WriteInteger("EDITOR", "EditorStyle", 0);    // existing: rewritten in place
    ini.WriteBool("Editor", "ShowEditorGrid", true); // new: after the last key
    ini.WriteString("Fresh", "k", "v");              // new section at the end
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(path), "stray=before any section\n"
                                   "[Editor]\n"
                                   "; keep this comment\n"
                                   "editorstyle=0\n"
                                   "no equals sign\n"
                                   "=empty name\n"
                                   "Unknown=kept\n"
                                   "ShowEditorGrid=1\n"
                                   "\n"
                                   "; about the next section\n"
                                   "[Other]\n"
                                   "a=1\n"
                                   "\n"
                                   "[Fresh]\n"
                                   "k=v\n");
    // Lines outside any section or without a name are never read.
    const TIniFile reread(path);
    EXPECT_EQ(reread.ReadSectionValues("Editor"),
              (Pairs{{"editorstyle", "0"}, {"Unknown", "kept"}, {"ShowEditorGrid", "1"}}));
    EXPECT_EQ(reread.ReadString("", "stray", "none"), "none");
}

TEST(IniFileTest, DuplicateKeysReadAndWriteTheFirst) {
    TempDir dir;
    const std::string path = dir / "dup.ini";
    WriteFile(path, "[H]\n1=b\n0=a\n1=c\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadSectionValues("H"), (Pairs{{"1", "b"}, {"0", "a"}}));
    ini.WriteString("H", "1", "x");
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(path), "[H]\n1=x\n0=a\n1=c\n");
}

TEST(IniFileTest, KeepsLineEndsAndByteOrderMark) {
    TempDir dir;
    const std::string path = dir / "crlf.ini";
    WriteFile(path, "\xEF\xBB\xBF[A]\r\nx=1\r\ny=2"); // last line without its end
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    ini.WriteString("A", "x", "one");
    ini.WriteString("A", "z", "3");
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF[A]\r\nx=one\r\ny=2\r\nz=3\r\n");
}

TEST(IniFileTest, RefusesWhatALineCannotHold) {
    TempDir dir;
    const std::string path = dir / "bad.ini";
    WriteFile(path, "[A]\nx=1\n");
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteString("A", "x", "two\nlines"), Exception);
    EXPECT_THROW(ini.WriteString("A", "", "v"), Exception);
    EXPECT_THROW(ini.WriteString("A", "a=b", "v"), Exception);
    EXPECT_THROW(ini.WriteString("A", ";c", "v"), Exception);
    EXPECT_THROW(ini.WriteString("A", "[B]", "v"), Exception);
    EXPECT_THROW(ini.WriteString("A]", "k", "v"), Exception);
    EXPECT_EQ(ini.ReadSectionValues("A"), (Pairs{{"x", "1"}}));
}

TEST(IniFileTest, UnreadableFileIsAnErrorAndAFailedUpdateKeepsTheOld) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_THROW(TIniFile(dir / "folder.ini"), EFOpenError);

    // The folder is gone: the update fails and writes nothing.
    const std::string path = dir / "gone/a.ini";
    TIniFile ini(path);
    ini.WriteString("A", "x", "1");
    EXPECT_THROW(ini.UpdateFile(), EFCreateError);
}

TEST(IniFileTest, UpdateThroughALinkWritesItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "config");
    WriteFile(dir / "config/LexManager.ini", "[A]\nx=1\n");
    std::filesystem::create_symlink(dir / "config/LexManager.ini", dir / "link.ini");
    TIniFile ini(dir / "link.ini");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    ini.WriteString("A", "x", "2");
    ini.UpdateFile();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFileBytes(dir / "config/LexManager.ini"), "[A]\nx=2\n");
}

} // namespace
} // namespace lex
