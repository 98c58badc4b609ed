#include "cli/LexTool.h"

#include "platform/FileUtil.h"
#include "runtime/LexFiles.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <fstream>
#include <sstream>

namespace lex {
namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

class LexToolTest : public test::RuntimeTest {
protected:
    Result Run(std::vector<std::string> args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out, err;
        const int code = RunLexTool(args, in, out, err);
        return {code, out.str(), err.str()};
    }
    test::TempDir dir;
};

TEST_F(LexToolTest, DumpPrintsJsonLinesInAscii) {
    TRecordListLexReader source(test::StandardFields,
                                {{"&File", "936", "0", "\xCE\xC4\"\\\x01\x7F", std::nullopt}});
    WriteLexFile(source, dir / "a.lxd");
    const Result r = Run({"dump", dir / "a.lxd"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"fields\":[\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\"],"
              "\"recordCount\":1}\n"
              "[\"&File\",\"936\",\"0\",\"\\u00ce\\u00c4\\\"\\\\\\u0001\\u007f\",null]\n");
}

TEST_F(LexToolTest, ConvertRoundTripsEveryFormat) {
    auto source = test::AwkwardLexicon();
    WriteLexFile(source, dir / "start.lxb");
    std::string previous = dir / "start.lxb";
    for (const char* next : {"a.lxc", "b.lxd", "c.lng", "d.lxb", "e.lxd", "f.lxc", "g.lxb"}) {
        const Result r = Run({"convert", previous, dir / next});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / next)), test::AwkwardRecords()) << next;
        previous = dir / next;
    }
    EXPECT_EQ(ReadFileBytes(dir / "g.lxb"), ReadFileBytes(dir / "start.lxb"));
    EXPECT_EQ(ReadFileBytes(dir / "f.lxc"), ReadFileBytes(dir / "a.lxc"));
}

TEST_F(LexToolTest, TranslatesKeysAndWords) {
    TRecordListLexReader source(test::StandardFields, {{"Open", "1252", "0", "Offnen", ""},
                                                       {"File", "1252", "0", "Datei", ""}});
    WriteLexFile(source, dir / "de.lxc");
    EXPECT_EQ(Run({"translate", dir / "de.lxc", "Open", "1252", "0"}).out, "Offnen");
    EXPECT_EQ(Run({"translate", dir / "de.lxc", "Close", "1252", "0"}).out, "Close");
    EXPECT_EQ(Run({"translate", dir / "de.lxc", "Open File", "1252", "0", "--words"}).out,
              "Offnen Datei");
    std::filesystem::copy_file(dir / "de.lxc", dir / "de.bin");
    EXPECT_EQ(
        Run({"translate", dir / "de.bin", "Open", "1252", "0", "--reader-id", "LumoTextCSV"}).out,
        "Offnen");
}

TEST_F(LexToolTest, ConvertsChinese) {
    EXPECT_EQ(Run({"chinese", "gb2big5"}, "a\xB9\xFA").out, "a\xB0\xEA");
    EXPECT_EQ(Run({"chinese", "big52gb"}, "\xB0\xEA.").out, "\xB9\xFA.");
}

TEST_F(LexToolTest, ErrorsAndUsage) {
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{}, 2, "Usage: lextool COMMAND"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"convert", "only-one"}, 2, "wrong number of arguments"},
        {{"dump", "x", "--reader-id"}, 2, "option --reader-id needs a value"},
        {{"dump", "x", "--bogus"}, 2, "unknown option --bogus"},
        {{"chinese", "sideways"}, 2, "direction must be gb2big5 or big52gb"},
        {{"dump", "/no/such/file.lxb"}, 1, "Cannot open file \"/no/such/file.lxb\""},
        {{"convert", "/no/such/file.lxb", "out.lxc"}, 1, "Cannot open file"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Run({"dump", "--help"}).out, "Usage: lextool dump FILE [--reader-id ID]\n");

    std::ofstream(dir / "bad.lxb") << "\x05";
    const Result bad = Run({"convert", dir / "bad.lxb", dir / "out.lxc"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Invalid stream format"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.lxc"));
}

TEST_F(LexToolTest, MergeAnswersTheOverwriteQuestion) {
    TRecordListLexReader base(test::StandardFields, {{"File", "1252", "0", "Datei", ""},
                                                     {"Open", "1252", "0", "Offnen", "File"}});
    WriteLexFile(base, dir / "base.lxc");
    TRecordListLexReader more(test::StandardFields, {{"open", "1252", "0", "Oeffnen", ""},
                                                     {"Save", "936", "0", "\xB1\xA3", "File"}});
    WriteLexFile(more, dir / "more.lxb");
    const struct {
        std::vector<std::string> flags;
        const char* tree;
    } cases[] = {
        {{},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Oeffnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n"},
        {{"--answer", "no"},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Offnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n"},
        {{"--case-sensitive"},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Offnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n"
         "\"open\" 1252/0=\"Oeffnen\"\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"merge", dir / "base.lxc", dir / "more.lxb", "-o",
                                         dir / "out.lxd"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Result merged = Run(args);
        ASSERT_EQ(merged.code, 0) << merged.err;
        EXPECT_EQ(Run({"tree", dir / "out.lxd", "--case-sensitive"}).out, c.tree);
    }
    EXPECT_EQ(Run({"merge", "a.lxc", "-o", "o.lxc", "--answer", "maybe"}).code, 2);
}

TEST_F(LexToolTest, MergeTakesItsOutputOnlyFromTheOption) {
    TRecordListLexReader demo(test::StandardFields, {{"File", "1252", "0", "Datei", ""}});
    WriteLexFile(demo, dir / "demo.lxc");
    TRecordListLexReader import(test::StandardFields, {{"Open", "1252", "0", "Offnen", ""}});
    WriteLexFile(import, dir / "import.lxc");
    const std::string before = ReadFileBytes(dir / "demo.lxc");

    // The old form, OUT first: refused in one line that shows the new one.
    const Result old = Run({"merge", dir / "demo.lxc", dir / "import.lxc"});
    EXPECT_EQ(old.code, 2);
    EXPECT_EQ(old.err, "lextool merge: the output is named with -o: "
                       "lextool merge IN [IN...] -o OUT\n");
    EXPECT_EQ(ReadFileBytes(dir / "demo.lxc"), before);

    // Into one of the inputs, and into a new file with the long option.
    const std::string merged = "\"File\" 1252/0=\"Datei\"\n\"Open\" 1252/0=\"Offnen\"\n";
    ASSERT_EQ(Run({"merge", dir / "demo.lxc", dir / "import.lxc", "-o", dir / "demo.lxc"}).code, 0);
    EXPECT_EQ(Run({"tree", dir / "demo.lxc"}).out, merged);
    ASSERT_EQ(
        Run({"merge", dir / "import.lxc", dir / "demo.lxc", "--output", dir / "all.lxb"}).code, 0);
    EXPECT_EQ(Run({"tree", dir / "all.lxb"}).out,
              "\"Open\" 1252/0=\"Offnen\"\n\"File\" 1252/0=\"Datei\"\n");
    EXPECT_EQ(Run({"merge", "-o", dir / "x.lxc"}).code, 2); // no input
    EXPECT_EQ(Run({"dump", dir / "demo.lxc", "-o", "x"}).code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.lxc"));
}

TEST_F(LexToolTest, ExportFiltersLanguagesAndNodes) {
    TRecordListLexReader source(test::StandardFields, {{"File", "936", "0", "F936", ""},
                                                       {"File", "950", "0", "F950", ""},
                                                       {"Open", "936", "0", "O936", "File"},
                                                       {"Quit", "936", "0", "Q", ""}});
    WriteLexFile(source, dir / "in.lxc");
    ASSERT_EQ(Run({"export", dir / "in.lxc", dir / "a.lxc", "--languages", "950"}).code, 0);
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "a.lxc")),
              (std::vector<TLexRecord>{{"File", "950", "0", "F950", ""},
                                       {"Open", "950", "0", "", "File"},
                                       {"Quit", "950", "0", "", ""}}));
    ASSERT_EQ(Run({"export", dir / "in.lxc", dir / "b.lxb", "--nodes", "open"}).code, 0);
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "b.lxb")),
              (std::vector<TLexRecord>{{"Open", "936", "0", "O936", "File"},
                                       {"File", "936", "0", "F936", ""},
                                       {"File", "950", "0", "F950", ""}}));
    EXPECT_EQ(Run({"export", dir / "in.lxc", dir / "c.lxc", "--languages", "1252"}).code, 1);
    EXPECT_EQ(Run({"export", dir / "in.lxc", dir / "c.lxc", "--nodes", "Nope"}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.lxc"));
}

TEST_F(LexToolTest, AnOverstatedRecordCountCostsNoMemory) {
    // One record behind a header announcing 2^31 - 1: reported as it is,
    // but nothing is sized from it.
    TRecordListLexReader source(test::StandardFields, {{"&File", "1252", "0", "Datei", ""}},
                                0x7FFFFFFF);
    WriteLexFile(source, dir / "big.lxb");
    EXPECT_EQ(Run({"translate", dir / "big.lxb", "&File", "1252", "0"}).out, "Datei");
    const Result dump = Run({"dump", dir / "big.lxb"});
    EXPECT_EQ(dump.code, 0) << dump.err;
    EXPECT_NE(dump.out.find("\"recordCount\":2147483647"), std::string::npos) << dump.out;
    const Result tree = Run({"tree", dir / "big.lxb"});
    EXPECT_EQ(tree.code, 0) << tree.err;
}

TEST_F(LexToolTest, RefusedInputsReportOnce) {
    std::ofstream(dir / "nokey.lxc") << "\"Key\",\r\n\"a\",\r\n";
    const Result r = Run({"tree", dir / "nokey.lxc"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Error: Field \"LexKey\" not found!\n");
}

} // namespace
} // namespace lex
