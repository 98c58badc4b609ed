#include "editor/NodeListLexReader.h"

#include "editor/LexSearch.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/LexFiles.h"
#include "runtime/LumoMultiLex.h"
#include "support/DocumentSupport.h"

#include <tuple>

namespace lex {
namespace {

using test::ReadAll;
using test::StandardFields;

class SaveTest : public test::DocumentTest {
protected:
    SaveTest() {
        Load(doc, StandardFields,
             {{"File", "936", "0", "F936", ""},
              {"File", "950", "0", "F950", ""},
              {"Open", "936", "0", "O936", "File"}});
    }
    std::vector<TLexRecord> Records(bool NodesOnly, std::vector<TLexBand*> Filter = {}) {
        const auto reader = CreateNodeListReader(doc, NodesOnly, Filter);
        return ReadAll(*reader);
    }
    TTreeNode* Node(std::string_view Key) { return doc.FindNodeByKey(Key); }
    TLexDocument doc;
};

TEST_F(SaveTest, OneRecordPerNonEmptyCellInGridOrder) {
    EXPECT_EQ(Records(false), (std::vector<TLexRecord>{{"File", "936", "0", "F936", ""},
                                                       {"File", "950", "0", "F950", ""},
                                                       {"Open", "936", "0", "O936", "File"}}));
    EXPECT_EQ(Records(false, {doc.Band950()}),
              (std::vector<TLexRecord>{{"File", "950", "0", "F950", ""},
                                       {"Open", "950", "0", "", "File"}}));
}

TEST_F(SaveTest, NodesOnlyExportsFollowTheSelection) {
    doc.Tree().Select(Node("Open"));
    auto reader = CreateNodeListReader(doc, true, {});
    EXPECT_EQ(reader->RecordCount(), 3);
    EXPECT_EQ(ReadAll(*reader), (std::vector<TLexRecord>{{"Open", "936", "0", "O936", "File"},
                                                         {"File", "936", "0", "F936", ""},
                                                         {"File", "950", "0", "F950", ""}}));
    // A node selected with its ancestor is written once, where it first
    // comes, and the file loads as a dictionary.
    const std::vector<TLexRecord> once = {{"File", "936", "0", "F936", ""},
                                          {"File", "950", "0", "F950", ""},
                                          {"Open", "936", "0", "O936", "File"}};
    const std::vector<TLexRecord> openFirst = {once[2], once[0], once[1]};
    for (const auto& [first, second, expected] :
         {std::tuple("File", "Open", once), std::tuple("Open", "File", openFirst)}) {
        doc.Tree().ClearSelection();
        doc.Tree().Select(Node(first));
        doc.Tree().Select(Node(second));
        reader = CreateNodeListReader(doc, true, {});
        EXPECT_EQ(reader->RecordCount(), 3);
        EXPECT_EQ(ReadAll(*reader), expected) << first;
        TLumoMultiStreamLex dictionary;
        EXPECT_NO_THROW(dictionary.BuildFromReader(*reader));
    }
    doc.Tree().ClearSelection();
    doc.Tree().SetFocusedNode(Node("File"));
    EXPECT_EQ(Records(true).size(), 3u);
}

TEST_F(SaveTest, NodesWithoutValuesAndGridsWithoutLanguages) {
    TLexDocument keys;
    Load(keys, {"LexKey", "CatalogID"}, {{"a", ""}, {"b", "a"}});
    const auto reader = CreateNodeListReader(keys, false, {});
    EXPECT_EQ(reader->FieldCount(), 2);
    EXPECT_EQ(reader->FieldName(1), "CatalogID");
    EXPECT_EQ(ReadAll(*reader), (std::vector<TLexRecord>{{"a", ""}, {"b", "a"}}));

    TTreeNode* empty = doc.NewSubNode();
    doc.PostEdit();
    EXPECT_EQ(Records(false).back(),
              (TLexRecord{std::string(doc.Key(empty)), "936", "0", "", "File"}));
}

// Delete Sequence of a band's last column leaves a real band: every rule
// that walks bands and columns copes, and New Sequence puts the column back
// where the band stands among the bands.
TEST_F(SaveTest, ABandWithoutColumnsStaysABand) {
    TLexBand* band936 = doc.Band936();
    doc.DeleteSequenceColumn(band936->Column(0));
    EXPECT_EQ(Records(false), (std::vector<TLexRecord>{{"File", "950", "0", "F950", ""},
                                                       {"Open", "950", "0", "", "File"}}));
    const auto keysOnly = CreateNodeListReader(doc, false, {band936});
    EXPECT_EQ(keysOnly->FieldCount(), 2);
    EXPECT_EQ(keysOnly->RecordCount(), 2);
    EXPECT_EQ(ReadAll(*keysOnly), (std::vector<TLexRecord>{{"File", ""}, {"Open", "File"}}));

    doc.SpreadBandColumns(band936);
    int position = -1;
    EXPECT_EQ(doc.FindSequenceColumn(band936, "0", position), nullptr);
    EXPECT_EQ(position, 0);
    doc.ConvertNodeChinese(Node("File"), doc.Band950(), band936);
    doc.ConvertNodeChinese(Node("File"), band936, doc.Band950());
    Find(doc, u"e");
    EXPECT_EQ(doc.Hits().Nodes().size(), 2u);
    EXPECT_EQ(Outline(doc), "File[950/0=F950](Open)");

    TLexColumn* column = doc.AddSequenceColumn(band936, "0");
    EXPECT_EQ(column->Index(), 1); // before the 950 band's column, as the bands stand
    doc.Tree().SetValue(Node("File"), column->Index(), "F936");
    EXPECT_EQ(Records(false).front(), (TLexRecord{"File", "936", "0", "F936", ""}));
    doc.DeleteSequenceColumn(column);
    Merge(doc, StandardFields, {{"Open", "936", "3", "O3", "File"}});
    EXPECT_EQ(doc.Tree().BandCount(), 3);
    EXPECT_EQ(Captions(band936), std::vector<std::string>{"3"});
    EXPECT_EQ(band936->Column(0)->Index(), 1);
}

TEST_F(SaveTest, SavingWritesByExtensionAndClearsModified) {
    test::TempDir dir;
    std::vector<std::string> used;
    doc.SetOnFileUsed([&](const std::string& Name) { used.push_back(Name); });
    for (const char* name : {"out.LXB", "out.txt", "out", "out.lxd"}) {
        SetModified(doc, true);
        SaveAs(doc, dir / name);
        EXPECT_FALSE(doc.Modified());
        EXPECT_EQ(doc.FileName(), dir / name);
        EXPECT_EQ(ReadAll(*OpenLexFile(dir / name)), Records(false)) << name;
    }
    EXPECT_EQ(ReadFileBytes(dir / "out.LXB").substr(0, 4), std::string("\x05\0\0\0", 4));
    EXPECT_EQ(ReadFileBytes(dir / "out").substr(0, 9), "\"LexKey\",");
    EXPECT_EQ(used.size(), 4u);

    SetModified(doc, true);
    EXPECT_THROW(SaveAs(doc, dir / "no/such/dir/x.lxc"), Exception);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.FileName(), dir / "out.lxd");
    EXPECT_EQ(used.size(), 4u);
}

// An export writes another file: the user's own file is still unsaved.
TEST_F(SaveTest, ExportingLeavesTheDocumentModifiedAndBound) {
    test::TempDir dir;
    SaveAs(doc, dir / "own.lxc");
    doc.NewNode();
    doc.PostEdit();
    WriteCopy(doc, false, {doc.Band950()}, {}, dir / "part.lxc");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.FileName(), dir / "own.lxc");
}

} // namespace
} // namespace lex
