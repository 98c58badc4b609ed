#include "editor/LexLoader.h"

#include "editor/NodeListLexReader.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/LumoMultiLex.h"
#include "support/DocumentSupport.h"

#include <cstdlib>
#include <gmock/gmock.h>

namespace lex {
namespace {

// Keys and interface texts of these tests are bytes of the Chinese (GB2312)
// code page; set before anything asks for the process's code page.
const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "936", 1) == 0;

using test::StandardFields;

class LoaderTest : public test::DocumentTest {};

TEST_F(LoaderTest, RecordsBecomeNodesBandsAndColumns) {
    TLexDocument doc;
    SetModified(doc, true);
    Load(doc, StandardFields,
         {{"&File", "936", "0", "F936", ""},
          {"&File", "950", "0", "F950", ""},
          {"Open", "936", "1", "O936-1", "&File"},
          {"Open", "936", "0", "O936-0", "&File"},
          {"Save", "1252", "10", "S10", "&File"},
          {"Save", "1252", "9", "S9", "&File"},
          {"Quit", "1252", "0", "Q", ""}});
    EXPECT_EQ(Outline(doc), "&File[936/0=F936 950/0=F950](Open[936/0=O936-0 936/1=O936-1] "
                            "Save[1252/9=S9 1252/10=S10]) Quit[1252/0=Q]");
    EXPECT_EQ(doc.NodeCount(), 4);
    EXPECT_FALSE(doc.Modified());
    ASSERT_EQ(doc.Tree().BandCount(), 4);
    EXPECT_EQ(doc.Band936(), doc.Tree().Band(1));
    EXPECT_EQ(doc.Band950(), doc.Tree().Band(2));
    EXPECT_EQ(doc.Tree().Band(1)->Caption, "Chinese Simplified (GB2312)");
    EXPECT_EQ(Captions(doc.Tree().Band(1)), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(Captions(doc.Tree().Band(3)), (std::vector<std::string>{"0", "9", "10"}));
    EXPECT_EQ(doc.Tree().Band(1)->Column(0)->Width, 100);
    EXPECT_EQ(doc.Tree().FocusedNode(), doc.Tree().FirstNode());
}

// A load or a merge never makes a second band for a code page; "0936" is
// another code page's text, not 936.
TEST_F(LoaderTest, OneBandPerCodePage) {
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"a", "936", "0", "x"},
          {"a", "0936", "0", "y"},
          {"b", "1252", "0", "z"},
          {"b", "936", "1", "w"}});
    Merge(doc, StandardFields, {{"c", "0936", "0", "v"}, {"c", "936", "0", "u"}});
    ASSERT_EQ(doc.Tree().BandCount(), 4);
    EXPECT_EQ(Outline(doc), "a[936/0=x 0936/0=y] b[936/1=w 1252/0=z] c[936/0=u 0936/0=v]");
}

TEST_F(LoaderTest, KeysDifferingInCaseShareANodeUnlessCaseSensitive) {
    const std::vector<TLexRecord> records = {{"Open", "1252", "0", "x", ""},
                                             {"open", "1252", "0", "x", ""}};
    for (const TOverwriteAnswer answer : {TOverwriteAnswer::Overwrite, TOverwriteAnswer::Keep}) {
        TLexDocument doc;
        overwrites = {answer};
        shown.clear();
        Load(doc, StandardFields, records);
        EXPECT_EQ(Outline(doc), "Open[1252/0=x]");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0],
                  "Confirm|Value Already Exists!\r\n\r\nBecause \"LexKey\" is not case sensitive "
                  "while loading, or record key violation.\r\n\r\nOld LexKey : Open\r\nNew LexKey "
                  ": open\r\nLanguage : Western European (Windows) (1252)\r\nOld Value : x\r\nNew "
                  "Value : x\r\n\r\nOverride old value?\r\n(If select \"Cancel\",don`t ask "
                  "again,override automatically.)");
    }
    TLexEditorOptions caseSensitive;
    caseSensitive.CaseSensitive = true;
    TLexDocument sensitive(caseSensitive);
    shown.clear();
    Load(sensitive, StandardFields, records);
    EXPECT_EQ(Outline(sensitive), "Open[1252/0=x] open[1252/0=x]");
    EXPECT_TRUE(shown.empty());
}

// The overwrite question names the language, and each value reads in its
// own band's code page whatever the interface's is (936 here): the question
// is UTF-8.
TEST_F(LoaderTest, OverwriteQuestionShowsValuesInTheirLanguage) {
    ASSERT_EQ(ProcessCodePage(), 936);
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"k", "950", "0", "\xA4\xA4\xA4\xE5"},
          {"k", "950", "0", "\xBA\x7E\xA6\x72"},
          {"k", "1252", "0", "caf\xE9"},
          {"k", "1252", "0", "na\xEFve"},
          {"k", "12345", "0", "a"},
          {"k", "12345", "0", "b"}});
    ASSERT_EQ(shown.size(), 3u);
    const auto piece = [&](size_t Box, std::string_view Label) {
        const std::string& text = shown[Box];
        const size_t start = text.find(std::string(Label) + " : ");
        return start == std::string::npos ? std::string()
                                          : text.substr(start, text.find("\r\n", start) - start);
    };
    const struct {
        const char *language, *oldValue, *newValue;
    } expected[] = {
        {"Language : Chinese Traditional (Big5) (950)", "Old Value : \u4E2D\u6587",
         "New Value : \u6F22\u5B57"},
        {"Language : Western European (Windows) (1252)", "Old Value : caf\u00E9",
         "New Value : na\u00EFve"},
        {"Language : 12345", "Old Value : a", "New Value : b"},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(piece(i, "Language"), expected[i].language);
        EXPECT_EQ(piece(i, "Old Value"), expected[i].oldValue);
        EXPECT_EQ(piece(i, "New Value"), expected[i].newValue);
    }

    // A Traditional Chinese interface in a Simplified Chinese process: its
    // texts are Big5, the keys GB2312.
    TComponent owner;
    auto* gui = new TLumoMultiStreamLex(&owner);
    gui->SetLexName(GUILexName);
    TRecordListLexReader translations(StandardFields,
                                      {{"Language", "950", "0", "\xBBy\xA8\xA5"}}); // 語言
    gui->BuildFromReader(translations);
    TLexEditorOptions traditional;
    traditional.CodePage = "950";
    TLexDocument chinese(traditional);
    shown.clear();
    Load(chinese, StandardFields,
         {{"\xBC\xFC", "1252", "0", "a"}, {"\xBC\xFC", "1252", "0", "b"}}); // 键
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("\u8A9E\u8A00 : Western European (Windows) (1252)\r\n"),
              std::string::npos)
        << shown[0];
    EXPECT_NE(shown[0].find("Old LexKey : \u952E\r\n"), std::string::npos) << shown[0];
}

// Keys that the collator alone ties (full-width and half-width forms, kana)
// are different keys: with CaseSensitive off they stay separate nodes, and
// only a difference of case joins two.
TEST_F(LoaderTest, KeysTheCollatorTiesStayApart) {
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"Name:", "936", "0", "a"},
          {"Name\xA3\xBA", "936", "0", "b"}, // full-width colon
          {"FILE", "936", "0", "c"},
          {"\xA3\xC6\xA3\xC9\xA3\xCC\xA3\xC5", "936", "0", "d"}, // full-width FILE
          {"\xA4\xC7\xA9`\xA4\xBF", "936", "0", "e"},            // hiragana
          {"\xA5\xC7\xA9`\xA5\xBF", "936", "0", "f"},            // katakana
          {"name:", "936", "1", "g"}});
    EXPECT_EQ(doc.NodeCount(), 6);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(Outline(doc), "Name:[936/0=a 936/1=g] Name\xA3\xBA[936/0=b] FILE[936/0=c] "
                            "\xA3\xC6\xA3\xC9\xA3\xCC\xA3\xC5[936/0=d] "
                            "\xA4\xC7\xA9`\xA4\xBF[936/0=e] \xA5\xC7\xA9`\xA5\xBF[936/0=f]");
    EXPECT_EQ(doc.FindNodeByKey("Name\xA3\xBA"), doc.Tree().FirstNode()->NextSibling());
}

TEST_F(LoaderTest, OverwriteAnswers) {
    using enum TOverwriteAnswer;
    const std::vector<TLexRecord> records = {{"k", "1252", "0", "a"},
                                             {"k", "1252", "0", "b"},
                                             {"k", "1252", "0", "c"},
                                             {"k", "1252", "0", "d"},
                                             {"K", "1252", "1", "e"}};
    const struct {
        std::deque<TOverwriteAnswer> answers;
        const char* result;
        size_t asked;
    } cases[] = {
        {{Overwrite, Overwrite, Overwrite}, "k[1252/0=d 1252/1=e]", 3},
        {{Keep, Keep, Keep}, "k[1252/0=a 1252/1=e]", 3},
        {{Keep, OverwriteAll}, "k[1252/0=d 1252/1=e]", 2}, // and asks no more
    };
    for (const auto& c : cases) {
        TLexDocument doc;
        overwrites = c.answers;
        shown.clear();
        Load(doc, StandardFields, records);
        EXPECT_EQ(Outline(doc), c.result);
        EXPECT_EQ(shown.size(), c.asked); // an empty cell never asks, whatever the case
    }
}

TEST_F(LoaderTest, PartialReaders) {
    TLexDocument keysOnly;
    Load(keysOnly, {"lexkey"}, {{"a"}, {"b"}, {"a"}});
    EXPECT_EQ(Outline(keysOnly), "a b");
    EXPECT_EQ(keysOnly.Tree().BandCount(), 1);

    TLexDocument noSeqNo;
    Load(noSeqNo, {"LexKey", "CodePage", "DisplayValue"}, {{"a", "936", "x"}, {"b", "936", "y"}});
    EXPECT_EQ(Outline(noSeqNo), "a[936/0=x] b[936/0=y]");
    EXPECT_EQ(Captions(noSeqNo.Tree().Band(1)), std::vector<std::string>{"0"});

    for (const auto& [fields, missing] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"Key", "CodePage"}, "LexKey"}, {{"LexKey", "CodePage"}, "DisplayValue"}}) {
        TLexDocument doc;
        Load(doc, StandardFields, {{"old", "936", "0", "v"}});
        SetModified(doc, true);
        shown.clear();
        EXPECT_THROW(Load(doc, fields, {{"a", "936"}}), EAbort);
        EXPECT_EQ(shown, std::vector<std::string>{"Error|Field \"" + missing + "\" not found!"});
        EXPECT_EQ(Outline(doc), ""); // a refused load leaves the editor empty
        EXPECT_TRUE(doc.Modified());

        Load(doc, StandardFields, {{"old", "936", "0", "v"}});
        EXPECT_THROW(Merge(doc, fields, {{"a", "936"}}), EAbort);
        EXPECT_EQ(Outline(doc), "old[936/0=v]"); // a refused merge changes nothing
    }
}

TEST_F(LoaderTest, ParentKeysBuildTheTree) {
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"c2", "1252", "0", "", "Missing"},
          {"top", "1252", "0", "t", ""},
          {"self", "1252", "0", "s", "self"},
          {"c1", "1252", "0", "", "missing"},
          {"A", "1252", "0", "a", "B"},
          {"B", "1252", "0", "b", "A"},
          {"x", "1252", "0", "", "top"}});
    // Nodes without parents keep their first-record order, created parents
    // follow; children stand in key order; the cycle's closing move is left out.
    EXPECT_EQ(Outline(doc), "top[1252/0=t](x) self[1252/0=s] B[1252/0=b](A[1252/0=a]) "
                            "missing(c1 c2)");
    EXPECT_EQ(doc.NodeCount(), 8);
}

// The parents a merge adds children to hold them all in key order; the rest
// of the tree, here a parent whose children were moved out of key order, is
// left as it was.
TEST_F(LoaderTest, MergeKeepsExistingParentsAndSortsChildren) {
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"root", "936", "0", "r"},
          {"z", "936", "0", "z", "root"},
          {"m", "936", "0", "m", "root"},
          {"q", "936", "0", "q"},
          {"c1", "936", "0", "", "q"},
          {"c2", "936", "0", "", "q"}});
    doc.Tree().MoveNode(doc.FindNodeByKey("c1"), doc.FindNodeByKey("q"), false);
    Merge(doc, StandardFields,
          {{"a", "950", "0", "a", "root"},
           {"z", "950", "0", "z2", "other"},
           {"new", "950", "1", "n"}});
    EXPECT_EQ(Outline(doc), "root[936/0=r](a[950/0=a] m[936/0=m] z[936/0=z 950/0=z2]) "
                            "q[936/0=q](c2 c1) new[950/1=n]");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.Tree().BandCount(), 3);
}

TEST_F(LoaderTest, OpenAndImportFiles) {
    test::TempDir dir;
    TRecordListLexReader source(StandardFields, {{"a", "936", "0", "x", ""}});
    WriteLexFile(source, dir / "one.lxd");
    TRecordListLexReader more(StandardFields, {{"b", "936", "0", "y", "a"}});
    WriteLexFile(more, dir / "two.lxb");

    TLexDocument doc;
    std::vector<std::string> used;
    doc.SetOnFileUsed([&](const std::string& Name) { used.push_back(Name); });
    std::vector<double> fractions;
    OpenFile(doc, dir / "one.lxd", {}, [&](auto Values, double Fraction, bool&) {
        EXPECT_TRUE(Values.empty());
        fractions.push_back(Fraction);
    });
    ImportFile(doc, dir / "two.lxb", {});
    EXPECT_EQ(Outline(doc), "a[936/0=x](b[936/0=y])");
    EXPECT_EQ(doc.FileName(), dir / "one.lxd");
    EXPECT_EQ(doc.Caption(), dir / "one.lxd");
    EXPECT_EQ(used, (std::vector<std::string>{dir / "one.lxd", dir / "two.lxb"}));
    EXPECT_EQ(fractions, std::vector<double>{1.0});
    EXPECT_THROW(OpenFile(doc, dir / "missing.lxc", {}), EFOpenError);
}

// A load that fails part way, or is refused, leaves what was read on show but
// unbinds the document, so that a Save cannot replace the file with it.
TEST_F(LoaderTest, AFailedOpenUnbindsTheDocument) {
    test::TempDir dir;
    TRecordListLexReader source(StandardFields,
                                {{"a", "936", "0", "x", ""}, {"b", "936", "0", "y", ""}});
    WriteLexFile(source, dir / "good.lxb");
    std::string bytes = ReadFileBytes(dir / "good.lxb");
    bytes.resize(bytes.size() - 3); // the last record cut short
    WriteFileAtomically(dir / "cut.lxb", [&](OutputStream& Out) { Out.Write(bytes); });
    WriteFileAtomically(dir / "nokey.lxc",
                        [](OutputStream& Out) { Out.Write("\"Key\"\r\n\"a\"\r\n"); });

    TLexDocument doc;
    doc.SetUntitledCaption("Lexicon 1");
    try {
        OpenFile(doc, dir / "cut.lxb", {});
        FAIL() << "a cut file loads";
    } catch (const EReadError& e) { // named, and still a read fault
        EXPECT_THAT(e.what(), testing::HasSubstr(dir / "cut.lxb"));
        EXPECT_THAT(e.what(), testing::HasSubstr("byte offset"));
    }
    EXPECT_EQ(Outline(doc), "a[936/0=x]");
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(doc.Caption(), "Lexicon 1");

    SaveAs(doc, dir / "good.lxb");
    answers = {IDOK};
    EXPECT_THROW(OpenFile(doc, dir / "nokey.lxc", {}), EAbort);
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(doc.Caption(), "Lexicon 1");
}

// A damaged text lexicon is loaded or merged as far as it reads, then its
// first faulty line is reported and the document is not bound to the file;
// a reader error in such a file gives way to that line.
TEST_F(LoaderTest, ADamagedTextFileShowsWhatWasReadAndNamesTheFaultyLine) {
    test::TempDir dir;
    const std::string header =
        "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n";
    const std::string unclosed = dir / "unclosed.lxc";
    const std::string badCode = dir / "badcode.lxd";
    WriteFileAtomically(unclosed, [&](OutputStream& Out) {
        Out.Write(header + "\"a\",\"936\",\"0\",\"x\",,\r\n\"b\",\"936\",\"0\",\"y,,\r\n");
    });
    WriteFileAtomically(badCode, [&](OutputStream& Out) {
        Out.Write(header + "\"a\",\"936\",\"0\",\"x\",,\r\n\"b\",\"936\",\"0\",#,,\r\n");
    });
    const auto failure = [](const std::function<void()>& Load) {
        try {
            Load();
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };

    TLexDocument doc;
    std::vector<std::string> used;
    doc.SetOnFileUsed([&](const std::string& Name) { used.push_back(Name); });
    EXPECT_EQ(failure([&] { OpenFile(doc, unclosed, {}); }),
              "Cannot load \"" + unclosed +
                  "\": line 3: the quoted value that starts here is never closed");
    EXPECT_EQ(Outline(doc), "a[936/0=x] b[936/0=y,,\r\n]");
    EXPECT_EQ(doc.FileName(), "");

    Load(doc, StandardFields, {{"c", "936", "0", "z", ""}});
    EXPECT_EQ(failure([&] { ImportFile(doc, unclosed, {}); }),
              "Cannot load \"" + unclosed +
                  "\": line 3: the quoted value that starts here is never closed");
    EXPECT_EQ(Outline(doc), "c[936/0=z] a[936/0=x] b[936/0=y,,\r\n]");
    EXPECT_TRUE(doc.Modified());

    EXPECT_EQ(failure([&] { OpenFile(doc, badCode, {}); }),
              "Cannot load \"" + badCode + "\": line 3: '' is not a valid integer value");
    EXPECT_EQ(Outline(doc), "a[936/0=x]");
    EXPECT_TRUE(used.empty());

    TLexEditorOptions lenient;
    lenient.Lenient = true;
    TLexDocument trusting(lenient);
    OpenFile(trusting, unclosed, {});
    EXPECT_EQ(trusting.FileName(), unclosed);
}

} // namespace
} // namespace lex
