#include "formfiles/LexGrab.h"

#include "platform/Exceptions.h"
#include "support/DocumentSupport.h"
#include "support/UndoHistory.h"

namespace lex {
namespace {

using test::StandardFields;

class GrabTest : public test::DocumentTest {
protected:
    GrabTest() {
        doc.AddLanguage("1252");
        Load(doc, StandardFields,
             {{"File", "1252", "0", "Datei", ""},
              {"Open", "1252", "0", "", "File"},
              {"Save", "1252", "0", "Speichern", "File"},
              {"Exit", "1252", "0", "", ""}});
        SetModified(doc, false);
    }
    TGrabCounts ByKey(std::vector<TLexRecord> Records) {
        TRecordListLexReader source(StandardFields, std::move(Records));
        return GrabByKey(doc, source);
    }
    TGrabCounts ByValue(std::vector<TLexRecord> Records) {
        TRecordListLexReader source(StandardFields, std::move(Records));
        return GrabByDisplayValue(doc, source, *doc.Tree().Band(1));
    }
    TLexDocument doc;
};

TEST_F(GrabTest, ByKeyFillsOnlyEmptyCellsOfKnownKeys) {
    const TGrabCounts counts = ByKey({{"open", "1252", "0", "Offnen", ""},
                                      {"Save", "1252", "0", "Sichern", ""},
                                      {"Missing", "1252", "0", "x", ""},
                                      {"Exit", "936", "0", "", ""},
                                      {"Exit", "950", "01", "B", ""},
                                      {"File", "950", "01", "F", ""},
                                      {"File", "950", "2", "G", ""},
                                      {"File", "950", "1", "H", ""}});
    EXPECT_EQ(counts.Changed, 5);
    EXPECT_EQ(Outline(doc), "File[1252/0=Datei 950/1=H 950/01=F 950/2=G](Open[1252/0=Offnen] "
                            "Save[1252/0=Speichern]) Exit[950/01=B]");
    EXPECT_TRUE(doc.Modified());
    ASSERT_EQ(doc.Tree().BandCount(), 3); // no band for the empty 936 value
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(doc.Tree().Band(2)->Column(i)->Width, 66);
}

TEST_F(GrabTest, ByKeyHeedsCaseOnlyWhenAsked) {
    TLexEditorOptions options;
    options.CaseSensitive = true;
    TLexDocument sensitive(options);
    Load(sensitive, StandardFields, {{"Open", "1252", "0", "", ""}});
    TRecordListLexReader source(StandardFields, {{"open", "1252", "0", "x", ""}});
    EXPECT_EQ(GrabByKey(sensitive, source).Changed, 0);
    EXPECT_EQ(ByKey({{"open", "1252", "0", "x", ""}}).Changed, 1);
}

TEST_F(GrabTest, ByValueTakesKeysAndKeepsThemUnique) {
    const TGrabCounts counts = ByValue({{"&File", "1252", "0", "datei", ""},
                                        {"Other", "936", "0", "Speichern", ""},
                                        {"exit", "1252", "0", "Speichern", ""},
                                        {"&Save", "1252", "0", "Speichern", ""}});
    EXPECT_EQ(counts.Changed, 2);
    EXPECT_EQ(counts.KeyConflicts, 1);
    EXPECT_EQ(Outline(doc), "&File[1252/0=Datei](Open &Save[1252/0=Speichern]) Exit");
    EXPECT_EQ(doc.FindNodeByKey("Open")->Data->ParentKey, "&File");
    EXPECT_TRUE(doc.Modified());
}

TEST_F(GrabTest, AGrabIsOneStepThatUndoesWhole) {
    const std::string before = Outline(doc);
    test::UndoHistory history(doc);
    ByValue({{"&File", "1252", "0", "datei", ""}, {"&Save", "1252", "0", "Speichern", ""}});
    ByKey({{"Open", "1252", "0", "Offnen", ""}, {"Exit", "950", "01", "B", ""}});
    ASSERT_EQ(history.steps.size(), 2u);
    EXPECT_EQ(history.steps[1]->Name(), "Grab Data From Dictionary");
    const std::string after = Outline(doc);
    history.Undo();
    history.Undo();
    EXPECT_EQ(Outline(doc), before);
    EXPECT_EQ(doc.FindNodeByKey("Open")->Data->ParentKey, "File");
    EXPECT_EQ(doc.Tree().BandCount(), 2);
    history.Redo();
    history.Redo();
    EXPECT_EQ(Outline(doc), after);
}

TEST_F(GrabTest, ASourceWithoutKeysIsRefused) {
    TRecordListLexReader source({"CodePage", "DisplayValue"}, {{"1252", "x"}});
    EXPECT_THROW(GrabByKey(doc, source), EAbort);
    EXPECT_EQ(shown, std::vector<std::string>{"Error|Field \"LexKey\" not found!"});
    EXPECT_FALSE(doc.Modified());
}

} // namespace
} // namespace lex
