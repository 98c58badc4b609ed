#include "editor/LexTableSync.h"

#include "support/DocumentSupport.h"
#include "support/MemoryDataSet.h"

namespace lex {
namespace {

using test::LexTable;
using test::StandardFields;
using test::TMemoryDataSet;

class TableSyncTest : public test::DocumentTest {
protected:
    TApplyCounts Save(TMemoryDataSet& Table) {
        return SaveToTable(doc, Table,
                           [&Table](const TLexProgressEvent&) { return Table.ApplyUpdates(); },
                           false, {});
    }
    // The table's rows, one "key cp seq value parent" text each.
    static std::vector<std::string> Rows(const TMemoryDataSet& Table) {
        std::vector<std::string> rows;
        for (const TLexRecord& row : Table.Rows()) {
            std::string text;
            for (const auto& value : row)
                text += (text.empty() ? "" : " ") + value.value_or("-");
            rows.push_back(text);
        }
        return rows;
    }
    TLexDocument doc;
};

TEST_F(TableSyncTest, RowsFollowTheDocument) {
    Load(doc, StandardFields,
         {{"File", "1252", "0", "Datei", ""},
          {"Open", "1252", "01", "Offnen", "File"},
          {"Save", "1252", "0", "Sichern", "File"},
          {"Add", "1252", "0", "Neu", ""}});
    doc.NewNode(); // Modified, with a key and no values
    doc.PostEdit();
    TMemoryDataSet table = LexTable({{"file", "1252", "0", "Datei", ""},
                                     {"Open", "1252", "1", "Offnen", "File"},
                                     {"Save", "1252", "0", "Speichern", "File"},
                                     {"Gone", "1252", "0", "x", ""},
                                     {"SAVE", "1252", "0", "Sichern", "File"}});
    const TApplyCounts counts = Save(table);
    EXPECT_EQ(counts.Updated, 2);  // "file" takes the editor's letters; Save's value
    EXPECT_EQ(counts.Deleted, 3);  // "1" is not "01"; Gone; the second Save
    EXPECT_EQ(counts.Inserted, 3); // Open/01, Add and the new key, in key order
    EXPECT_EQ(Rows(table), (std::vector<std::string>{
                               "File 1252 0 Datei ", "Save 1252 0 Sichern File", "Add 1252 0 Neu ",
                               "LexKey1 1252 0  ", "Open 1252 01 Offnen File"}));
    EXPECT_EQ(table.applied, std::vector<int>{8});
    EXPECT_FALSE(doc.Modified());

    // Saved again unchanged: nothing but the final, empty apply.
    SetModified(doc, true);
    table.applied.clear();
    const TApplyCounts again = Save(table);
    EXPECT_EQ(again.Updated + again.Deleted + again.Inserted, 0);
    EXPECT_EQ(table.applied, std::vector<int>{0});
    EXPECT_FALSE(doc.Modified());
}

TEST_F(TableSyncTest, TheDocumentStaysModifiedUntilEveryChangeReachedTheTable) {
    Load(
        doc, StandardFields,
        {{"K1", "1252", "0", "a", ""}, {"K2", "1252", "0", "b", ""}, {"K3", "1252", "0", "c", ""}});
    SetModified(doc, true);
    TMemoryDataSet table = LexTable();
    table.refuseApply = [](const TLexRecord& Row) { return *Row[0] == "K2"; };
    const TApplyCounts counts = Save(table);
    EXPECT_EQ(counts.Inserted, 2);
    EXPECT_EQ(counts.Refused, 1);
    EXPECT_TRUE(doc.Modified());

    // The refused change is still pending: the next save sends it.
    table.refuseApply = nullptr;
    EXPECT_EQ(Save(table).Inserted, 1);
    EXPECT_FALSE(doc.Modified());
}

TEST_F(TableSyncTest, ATableWithoutTheRecordFieldsFails) {
    Load(doc, StandardFields, {{"File", "1252", "0", "Datei", ""}});
    SetModified(doc, true);
    TMemoryDataSet table({{"LEXKEY"}, {"CODEPAGE"}, {"SEQNO"}}, {});
    try {
        Save(table);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'DisplayValue' not found");
    }
    EXPECT_TRUE(doc.Modified());
}

} // namespace
} // namespace lex
