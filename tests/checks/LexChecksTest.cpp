#include "checks/LexChecks.h"

#include "support/DocumentSupport.h"

#include <gmock/gmock.h>

namespace lex {
namespace {

using test::DocumentTest;
using test::StandardFields;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// 文件(&F)： in GB2312; a lead byte without its trail byte is no GB2312 text.
const std::string GbFileColon = "\xCE\xC4\xBC\xFE(&F)\xA3\xBA";

class LexChecksTest : public DocumentTest {
protected:
    // "rule key cp/seq" for each finding.
    std::vector<std::string> Findings(TLexDocument& Doc,
                                      const std::vector<TCheckRule>& Rules = AllCheckRules()) {
        std::vector<std::string> lines;
        for (const TCheckFinding& f : CheckLexicon(Doc, Rules)) {
            lines.push_back(std::string(CheckRuleName(f.Rule)) + " " + f.Key +
                            (f.CodePage.empty() ? "" : " " + f.CodePage + "/" + f.SeqNo));
            // A value finding points at its cell, which holds the value.
            if (f.ColumnIndex > 0 && f.Rule != TCheckRule::Missing) {
                EXPECT_FALSE(Doc.Tree().Value(f.Node, f.ColumnIndex).empty());
            }
        }
        return lines;
    }
};

TEST_F(LexChecksTest, ACleanLexiconHasNoFinding) {
    TLexDocument doc;
    Load(doc, StandardFields,
         {{"&File:", "1252", "0", "&Datei:", ""},
          {"&File:", "936", "0", GbFileColon, ""},
          {"Open %s (%d)...", "1252", "0",
           "%s \xF6"
           "ffnen (%d)\x85",
           "&File:"},
          {"Open %s (%d)...", "936", "0", "\xB4\xF2\xBF\xAA %s (%d)...", "&File:"},
          {"Save %1$s %2$d", "1252", "0", "%2$d %1$s speichern", "&File:"},
          {"Save %1$s %2$d", "936", "0", "%2$d %1$s", "&File:"},
          {"100%% done ", "1252", "0", "100%% fertig ", ""},
          {"100%% done ", "936", "0", "100%% \xCD\xEA ", ""},
          {"a && b", "1252", "0", "a && b", ""},
          {"a && b", "936", "0", "a && b", ""},
          {"Only western", "1252", "1", "Nur", ""}});
    EXPECT_THAT(Findings(doc), ElementsAre());
}

TEST_F(LexChecksTest, FindsEachFaultByKeyLanguageAndSequence) {
    TLexEditorOptions options;
    options.CaseSensitive = true;
    TLexDocument doc(options);
    Load(doc, StandardFields,
         {{"&Open", "1252", "0", "Oeffnen", ""},           // accelerator lost
          {"Open %s of %d", "1252", "0", "%d von %s", ""}, // placeholders swapped
          {"Count %d", "1252", "0", "Anzahl", ""},         // placeholder lost
          {"Name", "1252", "0", " Name", ""},              // leading blank
          {"Name:", "1252", "0", "Name", ""},              // colon lost
          {"More...", "1252", "0", "Mehr", ""},            // ellipsis lost
          {"Both", "1252", "0", "Beide", ""},
          {"Both", "936", "0", "", ""},      // missing in 936
          {"name", "1252", "0", "name", ""}, // case duplicate of "Name"
          {"Bad", "936", "0", "x\x81", ""},  // not GB2312
          {"Bad", "1252", "0", "Schlecht", ""},
          {"Child", "1252", "0", "Kind", "Nobody"}});
    EXPECT_THAT(Findings(doc),
                UnorderedElementsAre(
                    "accelerator &Open 1252/0", "placeholders Open %s of %d 1252/0",
                    "placeholders Count %d 1252/0", "spaces Name 1252/0", "colon Name: 1252/0",
                    "ellipsis More... 1252/0", "missing Both 936/0", "missing &Open 936/0",
                    "missing Open %s of %d 936/0", "missing Count %d 936/0", "missing Name 936/0",
                    "missing Name: 936/0", "missing More... 936/0", "missing name 936/0",
                    "missing Child 936/0", "case-duplicate name", "encoding Bad 936/0"));
    EXPECT_THAT(Findings(doc, {TCheckRule::Colon}), ElementsAre("colon Name: 1252/0"));
}

TEST_F(LexChecksTest, ParentKeysAreCheckedOnRecords) {
    TRecordListLexReader records(StandardFields, {{"A", "1252", "0", "a", ""},
                                                  {"B", "1252", "0", "b", "a"},
                                                  {"B", "936", "0", "b", "a"},
                                                  {"C", "1252", "0", "c", "Nobody"}});
    const std::vector<TCheckFinding> findings = CheckParentKeys(records, false);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Key, "C");
    EXPECT_EQ(findings[0].Message, "the parent key \"Nobody\" names no key");
    TRecordListLexReader again(StandardFields,
                               {{"B", "1252", "0", "b", "a"}, {"A", "", "", "", ""}});
    EXPECT_EQ(CheckParentKeys(again, true).size(), 1u); // "a" is not "A" with case
}

TEST_F(LexChecksTest, RuleNamesRoundTrip) {
    for (const TCheckRule rule : AllCheckRules())
        EXPECT_EQ(FindCheckRule(CheckRuleName(rule)), rule);
    EXPECT_FALSE(FindCheckRule("nonsense"));
}

} // namespace
} // namespace lex
