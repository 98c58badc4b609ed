#include "cli/LexTool.h"

#include "platform/FileUtil.h"
#include "runtime/LexFiles.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace lex {
namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

class LexToolTest : public ::testing::Test {
protected:
    LexToolModules modules;
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
    // 复制: the tables give 復制, the phrases 複製, and back the mainland's 拷贝.
    EXPECT_EQ(Run({"chinese", "gb2big5"}, "\xB8\xB4\xD6\xC6").out, "\xB4_\xA8\xEE");
    EXPECT_EQ(Run({"chinese", "gb2big5", "--phrases"}, "\xB8\xB4\xD6\xC6").out, "\xBD\xC6\xBBs");
    EXPECT_EQ(Run({"chinese", "big52gb", "--phrases"}, "\xBD\xC6\xBBs").out, "\xBF\xBD\xB1\xB4");
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
    EXPECT_TRUE(
        Run({"dump", "--help"}).out.starts_with("Usage: lextool dump FILE [--reader-id ID]"));

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
        const char* answered;
    } cases[] = {
        {{},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Oeffnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n",
         "1 overwrite questions answered\n"},
        {{"--answer", "no"},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Offnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n",
         "1 overwrite questions answered\n"},
        {{"--case-sensitive"},
         "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Offnen\"\n"
         "  \"Save\" 936/0=\"\\u00b1\\u00a3\"\n"
         "\"open\" 1252/0=\"Oeffnen\"\n",
         "0 overwrite questions answered\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"merge", dir / "base.lxc", dir / "more.lxb", "-o",
                                         dir / "out.lxd"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Result merged = Run(args);
        ASSERT_EQ(merged.code, 0) << merged.err;
        EXPECT_EQ(merged.out, c.answered);
        EXPECT_EQ(Run({"tree", dir / "out.lxd", "--case-sensitive"}).out, c.tree);
    }
    // --text: the same tree for people, each text decoded with its code page.
    EXPECT_EQ(Run({"tree", dir / "out.lxd", "--text"}).out,
              "\"File\" 1252/0=\"Datei\"\n  \"Open\" 1252/0=\"Oeffnen\"\n"
              "  \"Save\" 936/0=\"\u4FDD\"\n");
    EXPECT_EQ(Run({"dump", dir / "more.lxb", "--text"}).out,
              "{\"fields\":[\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\"],"
              "\"recordCount\":2}\n[\"open\",\"1252\",\"0\",\"Oeffnen\",\"\"]\n"
              "[\"Save\",\"936\",\"0\",\"\u4FDD\",\"File\"]\n");

    // --strict: a question is an error, and nothing is written.
    const Result strict =
        Run({"merge", dir / "base.lxc", dir / "more.lxb", "-o", dir / "strict.lxc", "--strict"});
    EXPECT_EQ(strict.code, 1);
    EXPECT_NE(strict.err.find("--strict"), std::string::npos) << strict.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "strict.lxc"));
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
    ASSERT_EQ(Run({"export", dir / "in.lxc", dir / "a.lxc", "--languages", " 950 "}).code, 0);
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

TEST_F(LexToolTest, GrabFillsCellsOrTakesKeys) {
    TRecordListLexReader lexicon(test::StandardFields, {{"File", "1252", "0", "Datei", ""},
                                                        {"Open", "1252", "0", "", "File"},
                                                        {"Exit", "1252", "0", "Ende", ""}});
    WriteLexFile(lexicon, dir / "in.lxc");
    TRecordListLexReader source(test::StandardFields, {{"open", "1252", "0", "Offnen", ""},
                                                       {"&File", "1252", "0", "Datei", ""},
                                                       {"Open", "1252", "0", "Ende", ""}});
    WriteLexFile(source, dir / "source.lxb");

    Result r = Run({"grab", dir / "in.lxc", dir / "source.lxb", dir / "a.lxc"});
    EXPECT_EQ(r.out, "1 cells filled\n") << r.err;
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "a.lxc"))[1],
              (TLexRecord{"Open", "1252", "0", "Offnen", "File"}));

    r = Run({"grab", dir / "in.lxc", dir / "source.lxb", dir / "b.lxc", "--by-value", "1252"});
    EXPECT_EQ(r.out, "1 keys taken, 1 passed over (another key has them)\n") << r.err;
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "b.lxc")),
              (std::vector<TLexRecord>{{"&File", "1252", "0", "Datei", ""},
                                       {"Open", "1252", "0", "", "&File"},
                                       {"Exit", "1252", "0", "Ende", ""}}));
    EXPECT_EQ(
        Run({"grab", dir / "in.lxc", dir / "source.lxb", dir / "c.lxc", "--by-value", "936"}).code,
        1);
    EXPECT_EQ(Run({"grab", dir / "in.lxc", dir / "missing.lxb", dir / "c.lxc"}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "c.lxc"));
}

TEST_F(LexToolTest, TablesOfTheEmbeddedDatabase) {
    const std::string ini = dir / "LexManager.ini"; // no file: the embedded database
    TRecordListLexReader lexicon(test::StandardFields, {{"File", "1252", "0", "Datei", ""},
                                                        {"Open", "1252", "0", "Offnen", "File"}});
    WriteLexFile(lexicon, dir / "in.lxc");

    Result r = Run({"db-save", dir / "in.lxc", "FORMLEX", "--ini", ini});
    EXPECT_EQ(r.out, "0 updated, 0 deleted, 2 appended, 0 failed, 0 conflicts\n") << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "LexManager.db"));
    EXPECT_EQ(Run({"db-tables", "--ini", ini}).out, "FORMLEX\n");
    ASSERT_EQ(Run({"db-load", "FORMLEX", dir / "out.lxc", "--ini", ini}).code, 0);
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "out.lxc")), test::ReadAll(lexicon));

    TRecordListLexReader changed(test::StandardFields, {{"File", "1252", "0", "Ablage", ""}});
    WriteLexFile(changed, dir / "changed.lxc");
    r = Run({"db-save", dir / "changed.lxc", "formlex", "--ini", ini});
    EXPECT_EQ(r.out, "1 updated, 1 deleted, 0 appended, 0 failed, 0 conflicts\n") << r.err;
    r = Run({"db-save", dir / "in.lxc", "FORMLEX", "--clear", "--ini", ini});
    EXPECT_EQ(r.out, "0 updated, 1 deleted, 2 appended, 0 failed, 0 conflicts\n") << r.err;

    TRecordListLexReader empty(test::StandardFields,
                               {{"File", "1252", "0", "", ""}, {"Open", "1252", "0", "", "File"}});
    WriteLexFile(empty, dir / "empty.lxc");
    r = Run({"grab", dir / "empty.lxc", "FORMLEX", dir / "grabbed.lxc", "--table", "--ini", ini});
    EXPECT_EQ(r.out, "2 cells filled\n") << r.err;
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "grabbed.lxc")), test::ReadAll(lexicon));

    r = Run({"db-save", dir / "in.lxc", "FORMLEX; drop table FORMLEX", "--ini", ini});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is not a table name"), std::string::npos) << r.err;
    EXPECT_EQ(Run({"db-load", "NOPE", dir / "nope.lxc", "--ini", ini}).code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "nope.lxc"));
}

// Two people load the same table, change different keys and save with
// --base: both changes survive. A third changes a key someone changed since
// his base: a conflict, the row left as it is.
TEST_F(LexToolTest, ATeamSavesIntoOneTableWithBase) {
    const std::string ini = dir / "LexManager.ini";
    const auto write = [&](const char* Name, const char* File, const char* Open) {
        TRecordListLexReader lexicon(test::StandardFields, {{"File", "1252", "0", File, ""},
                                                            {"Open", "1252", "0", Open, "File"}});
        WriteLexFile(lexicon, dir / Name);
    };
    write("in.lxc", "Datei", "Offnen");
    Result r = Run({"db-save", dir / "in.lxc", "TEAM", "--ini", ini});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("The table TEAM does not exist (--create makes it)"), std::string::npos)
        << r.err;
    ASSERT_EQ(Run({"db-save", dir / "in.lxc", "TEAM", "--create", "--ini", ini}).code, 0);
    ASSERT_EQ(Run({"db-load", "TEAM", dir / "base.lxc", "--ini", ini}).code, 0);

    write("theirs.lxc", "Datei", "Oeffnen");
    write("mine.lxc", "Ablage", "Offnen");
    r = Run({"db-save", dir / "theirs.lxc", "TEAM", "--base", dir / "base.lxc", "--ini", ini});
    EXPECT_EQ(r.out, "1 updated, 0 deleted, 0 appended, 0 failed, 0 conflicts\n") << r.err;
    r = Run({"db-save", dir / "mine.lxc", "TEAM", "--base", dir / "base.lxc", "--ini", ini});
    EXPECT_EQ(r.out, "1 updated, 0 deleted, 0 appended, 0 failed, 0 conflicts\n") << r.err;
    ASSERT_EQ(Run({"db-load", "TEAM", dir / "now.lxc", "--ini", ini}).code, 0);
    TRecordListLexReader both(test::StandardFields, {{"File", "1252", "0", "Ablage", ""},
                                                     {"Open", "1252", "0", "Oeffnen", "File"}});
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "now.lxc")), test::ReadAll(both));

    write("late.lxc", "Dokument", "Offnen");
    r = Run({"db-save", dir / "late.lxc", "TEAM", "--base", dir / "base.lxc", "--ini", ini});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "0 updated, 0 deleted, 0 appended, 0 failed, 1 conflicts\n");
    EXPECT_NE(r.err.find("conflict: File 1252 0: theirs \"Ablage\", yours \"Dokument\"\n"),
              std::string::npos)
        << r.err;
    ASSERT_EQ(Run({"db-load", "TEAM", dir / "now.lxc", "--ini", ini}).code, 0);
    EXPECT_EQ(test::ReadAll(*OpenLexFile(dir / "now.lxc")), test::ReadAll(both));
}

TEST_F(LexToolTest, HelpExplainsEveryOption) {
    // Every command the general help lists, so that a new one cannot be left out.
    std::vector<std::string> commands;
    std::istringstream help(Run({"--help"}).out);
    for (std::string line; std::getline(help, line);)
        if (line.starts_with("  lextool "))
            commands.push_back(line.substr(10, line.find(' ', 10) - 10));
    ASSERT_GE(commands.size(), 20u);
    for (const std::string& command : commands) {
        const Result r = Run({command, "--help"});
        ASSERT_EQ(r.code, 0) << command;
        const size_t usageEnd = r.out.find('\n');
        const std::string usage = r.out.substr(0, usageEnd), details = r.out.substr(usageEnd);
        EXPECT_GT(details.size(), 20u) << command;
        for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
            const std::string option = usage.substr(at, usage.find_first_of(" ]|", at) - at);
            EXPECT_NE(details.find(option), std::string::npos) << command << " " << option;
        }
    }
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

// A form with a skipped property, a skipped class, a case variant and a
// quote in a string.
const char* const DemoForm = "object Form1: TForm1\n"
                             "  Caption = 'Main'\n"
                             "  Font.Name = 'Tahoma'\n"
                             "  object Button1: TButton\n"
                             "    Caption = 'OK'\n"
                             "    Hint = 'ok'\n"
                             "  end\n"
                             "  object Edit1: TEdit\n"
                             "    Text = 'It''s typed'\n"
                             "  end\n"
                             "end\n";

// Every command that reads a lexicon refuses a damaged text lexicon with its
// first faulty line, writing nothing; --lenient reads it as applications do.
TEST_F(LexToolTest, DamagedTextLexiconsFailUnlessLenient) {
    const std::string damaged = dir / "damaged.lxc", good = dir / "good.lxc", out = dir / "out.lxc";
    std::ofstream(damaged, std::ios::binary)
        << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
           "\"Open\",\"1252\",\"0\",\"Offnen\",,\r\n\"Save\",\"1252\",\"0\",\"Sichern,,\r\n";
    TRecordListLexReader source(test::StandardFields, {{"Open", "1252", "0", "Auf", ""}});
    WriteLexFile(source, good);
    std::ofstream(dir / "form.dfm") << DemoForm;
    const std::vector<std::vector<std::string>> commands = {
        {"convert", damaged, out},
        {"dump", damaged},
        {"translate", damaged, "Open", "1252", "0"},
        {"merge", damaged, "-o", out},
        {"merge", good, damaged, "-o", out},
        {"export", damaged, out},
        {"tree", damaged},
        {"grab", damaged, good, out},
        {"grab", good, damaged, out},
        {"check", damaged},
        {"check", damaged, "--rules", "parent"},
        {"dfm-import", out, dir / "form.dfm", "--into", damaged},
        {"dfm-export", damaged, "1252", dir / "form.dfm"},
        {"po-export", damaged, "1252", "0", dir / "out.po"},
    };
    for (std::vector<std::string> args : commands) {
        const std::string name = args[0];
        const Result r = Run(args);
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err, "lextool " + name + ": Cannot load \"" + damaged +
                             "\": line 3: the quoted value that starts here is never closed\n");
        EXPECT_FALSE(std::filesystem::exists(out)) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.po")) << name;

        args.push_back("--lenient");
        const Result lenient = Run(args);
        EXPECT_EQ(lenient.err.find("Cannot load"), std::string::npos) << name << lenient.err;
        std::filesystem::remove(out);
        std::filesystem::remove(dir / "out.po");
    }
    EXPECT_EQ(Run({"dump", damaged, "--lenient"}).out,
              "{\"fields\":[\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\"],"
              "\"recordCount\":1}\n"
              "[\"Open\",\"1252\",\"0\",\"Offnen\",null]\n"
              "[\"Save\",\"1252\",\"0\",\"Sichern,,\\u000d\\u000a\",null]\n");
    EXPECT_NE(Run({"dump", "--help"}).out.find("--lenient"), std::string::npos);
}

TEST_F(LexToolTest, DfmTextPrintsTextAndConvertsBinaryForms) {
    std::ofstream(dir / "text.dfm") << DemoForm;
    const Result text = Run({"dfm-text", dir / "text.dfm"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out, DemoForm);

    const Result binary = Run({"dfm-text", LEX_TEST_DATA "/forms/binary_resource.dfm"});
    EXPECT_EQ(binary.code, 0) << binary.err;
    EXPECT_TRUE(binary.out.starts_with("object Form1: TForm1\n  Caption = 'It'#39's a form'\n"))
        << binary.out;

    std::ofstream(dir / "bad.dfm") << "\xFF\x0B";
    const Result bad = Run({"dfm-text", dir / "bad.dfm"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("Invalid stream format"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find(dir / "bad.dfm"), std::string::npos) << bad.err;
}

TEST_F(LexToolTest, DfmImportAsKeysOrValuesWithSkipLists) {
    std::ofstream(dir / "a.dfm") << DemoForm;
    std::ofstream(dir / "b.lfm") << "object F: TForm\n  Caption = 'Main' + 'tain'\nend\n";
    const struct {
        std::vector<std::string> flags;
        const char* tree;
    } cases[] = {
        {{}, "\"Main\"\n\"OK\"\n\"Maintain\"\n"},
        {{"--as-key", "--case-sensitive"}, "\"Main\"\n\"OK\"\n\"ok\"\n\"Maintain\"\n"},
        {{"--as-value", "1252"},
         "\"LexKey1\" 1252/0=\"Main\"\n\"LexKey2\" 1252/0=\"OK\"\n\"LexKey3\" "
         "1252/0=\"Maintain\"\n"},
        // A given list replaces the default one; an empty one skips nothing.
        {{"--skip-ident", ""}, "\"Main\"\n\"Tahoma\"\n\"OK\"\n\"Maintain\"\n"},
        {{"--skip-ident", "caption, Hint"}, "\"Tahoma\"\n"},
        {{"--skip-class", ""}, "\"Main\"\n\"OK\"\n\"It's typed\"\n\"Maintain\"\n"},
        {{"--skip-class", "TButton,TForm"}, "\"Main\"\n\"It's typed\"\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"dfm-import", dir / "out.lxb", dir / "a.dfm",
                                         dir / "b.lfm"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        const Result r = Run(args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(Run({"tree", dir / "out.lxb", "--case-sensitive"}).out, c.tree) << args.back();
    }
}

TEST_F(LexToolTest, DfmImportIntoALexiconLeavesItAsItWas) {
    std::ofstream(dir / "a.dfm") << DemoForm;
    TRecordListLexReader base(test::StandardFields, {{"lexkey1", "1252", "0", "main", ""}});
    WriteLexFile(base, dir / "base.lxc");
    const std::string before = ReadFileBytes(dir / "base.lxc");
    const Result r = Run({"dfm-import", dir / "out.lxc", dir / "a.dfm", "--as-value", "1252",
                          "--into", dir / "base.lxc"});
    ASSERT_EQ(r.code, 0) << r.err;
    // "Main" is there already; the first free key is LexKey2.
    EXPECT_EQ(Run({"tree", dir / "out.lxc"}).out,
              "\"lexkey1\" 1252/0=\"main\"\n\"LexKey2\" 1252/0=\"OK\"\n");
    EXPECT_EQ(ReadFileBytes(dir / "base.lxc"), before);
    // A language the lexicon lacks is added; its keys pass over "lexkey1".
    ASSERT_EQ(Run({"dfm-import", dir / "base.lxc", dir / "a.dfm", "--as-value", "936", "--into",
                   dir / "base.lxc"})
                  .code,
              0);
    EXPECT_EQ(Run({"tree", dir / "base.lxc"}).out,
              "\"lexkey1\" 1252/0=\"main\"\n\"LexKey2\" 936/0=\"Main\"\n"
              "\"LexKey3\" 936/0=\"OK\"\n");
}

TEST_F(LexToolTest, DfmExportWritesKeysBack) {
    std::ofstream(dir / "a.dfm") << DemoForm;
    std::filesystem::copy_file(LEX_TEST_DATA "/forms/binary_resource.dfm", dir / "bin.dfm");
    TRecordListLexReader lexicon(test::StandardFields, {{"Title", "1252", "0", "main", ""},
                                                        {"Title", "936", "0", "OK", ""},
                                                        {"Q'uote", "1252", "1", "ok", ""},
                                                        {"Form", "1252", "0", "It's a form", ""}});
    WriteLexFile(lexicon, dir / "lex.lxc");

    // A missing language is named, and no file changes.
    const Result missing = Run({"dfm-export", dir / "lex.lxc", "950", dir / "a.dfm"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "lextool dfm-export: no language 950 in " + (dir / "lex.lxc") + "\n");
    EXPECT_EQ(ReadFileBytes(dir / "a.dfm"), DemoForm);

    // Into another folder, the originals staying as they are.
    const Result copied =
        Run({"dfm-export", dir / "lex.lxc", "1252", dir / "a.dfm", "--output-dir", dir / "out"});
    ASSERT_EQ(copied.code, 0) << copied.err;
    EXPECT_EQ(ReadFileBytes(dir / "a.dfm"), DemoForm);

    const Result r = Run({"dfm-export", dir / "lex.lxc", "1252", dir / "a.dfm", dir / "bin.dfm"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(dir / "out/a.dfm"), ReadFileBytes(dir / "a.dfm"));
    EXPECT_EQ(ReadFileBytes(dir / "a.dfm"), "object Form1: TForm1\n"
                                            "  Caption = 'Title'\n"
                                            "  Font.Name = 'Tahoma'\n"
                                            "  object Button1: TButton\n"
                                            "    Caption = 'Q''uote'\n"
                                            "    Hint = 'Q''uote'\n"
                                            "  end\n"
                                            "  object Edit1: TEdit\n"
                                            "    Text = 'It''s typed'\n"
                                            "  end\n"
                                            "end\n");
    // The binary form comes back as text.
    EXPECT_TRUE(
        ReadFileBytes(dir / "bin.dfm").starts_with("object Form1: TForm1\n  Caption = 'Form'\n"));

    // A file that fails stops the export: those before it are written, it
    // stays as it was.
    std::ofstream(dir / "b.dfm") << "object F: TForm\n  Caption = 'OK'\nend\n";
    std::ofstream(dir / "bad.dfm") << "object F: TForm\n  Caption = 'OK\nend\n";
    const std::string bad = ReadFileBytes(dir / "bad.dfm");
    const Result failed = Run(
        {"dfm-export", dir / "lex.lxc", "936", dir / "b.dfm", dir / "bad.dfm", "--skip-ident", ""});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("Invalid string constant on line 2"), std::string::npos)
        << failed.err;
    EXPECT_NE(failed.err.find(dir / "bad.dfm"), std::string::npos) << failed.err;
    EXPECT_EQ(ReadFileBytes(dir / "b.dfm"), "object F: TForm\n  Caption = 'Title'\nend\n");
    EXPECT_EQ(ReadFileBytes(dir / "bad.dfm"), bad);

    // A form file checked out read-only is named and left alone, even by root.
    std::ofstream(dir / "ro.dfm") << "object F: TForm\n  Caption = 'OK'\nend\n";
    std::filesystem::permissions(dir / "ro.dfm", std::filesystem::perms(0444));
    const Result readOnly = Run({"dfm-export", dir / "lex.lxc", "936", dir / "ro.dfm"});
    EXPECT_EQ(readOnly.code, 1);
    EXPECT_NE(readOnly.err.find("Cannot create file \"" + dir / "ro.dfm" + "\". Permission denied"),
              std::string::npos)
        << readOnly.err;
    EXPECT_EQ(ReadFileBytes(dir / "ro.dfm"), "object F: TForm\n  Caption = 'OK'\nend\n");
}

TEST_F(LexToolTest, DfmUsageErrorsWriteNothing) {
    std::ofstream(dir / "a.dfm") << DemoForm;
    const std::string out = dir / "out.lxc";
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"dfm-import", out, dir / "a.dfm", "--as-key", "--as-value", "1252"},
         "--as-key and --as-value exclude each other"},
        {{"dfm-import", out, dir / "a.dfm", "--as-value", "west"},
         "--as-value needs a code page number, not \"west\""},
        {{"dfm-import", out, dir / "a.dfm", "--as-value"}, "option --as-value needs a value"},
        // OUT first: a swapped command line would overwrite the form.
        {{"dfm-import", dir / "a.dfm", out}, "OUT names a form file"},
        {{"dfm-import", dir / "A.DFM", dir / "a.dfm"}, "OUT names a form file"},
        {{"dfm-import", out}, "wrong number of arguments"},
        {{"dfm-export", out, "1252"}, "wrong number of arguments"},
        {{"dfm-export", out, "1252", dir / "a.dfm", out}, "FILE names the lexicon"},
        {{"dfm-export", out, "1252", dir / "a.dfm", "--output-dir", ""},
         "--output-dir needs a folder"},
        {{"dfm-text", dir / "a.dfm", dir / "a.dfm"}, "wrong number of arguments"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFileBytes(dir / "a.dfm"), DemoForm);
    EXPECT_FALSE(std::filesystem::exists(out));

    const Result missing = Run({"dfm-import", out, dir / "a.dfm", dir / "none.dfm"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Cannot open file \"" + (dir / "none.dfm") + "\""),
              std::string::npos)
        << missing.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace lex
