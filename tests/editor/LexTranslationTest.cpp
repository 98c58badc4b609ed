#include "editor/LexTranslation.h"

#include "editor/LexSearch.h"
#include "support/DocumentSupport.h"
#include "support/UndoHistory.h"

namespace lex {
namespace {

using test::StandardFields;

// Root holds A (936 only) and B (936 and both western sequences); C has a
// western value only; D holds E (936 only). Root and D, made as the parents
// named, have no values.
class TranslationTest : public test::DocumentTest {
protected:
    TranslationTest() {
        Load(doc, StandardFields,
             {{"A", "936", "0", "x", "Root"},
              {"B", "936", "0", "x", "Root"},
              {"B", "1252", "0", "y", "Root"},
              {"B", "1252", "1", "alt", "Root"},
              {"C", "1252", "0", "z"},
              {"E", "936", "0", "x", "D"}});
        zh = doc.Band936()->Column(0);
        western = WesternBand()->Column(0);
        western1 = WesternBand()->Column(1);
    }
    TLexBand* WesternBand() {
        for (int b = 1; b < doc.Tree().BandCount(); ++b)
            if (TLexDocument::BandCodePage(*doc.Tree().Band(b)) == "1252")
                return doc.Tree().Band(b);
        return nullptr;
    }
    std::string Focused() {
        const TTreeNode* node = doc.Tree().FocusedNode();
        return node ? std::string(doc.Key(node)) + ":" + std::to_string(doc.Tree().FocusedColumn())
                    : "";
    }
    // The shown nodes as "parent(children)".
    std::string Shown(const TShownChildren& Shown, const TTreeNode* Parent = nullptr) {
        const auto it = Shown.find(Parent);
        if (it == Shown.end()) return "";
        std::string out;
        for (const TTreeNode* node : it->second) {
            out += (out.empty() ? "" : " ") + std::string(doc.Key(node));
            if (const std::string below = this->Shown(Shown, node); !below.empty())
                out += "(" + below + ")";
        }
        return out;
    }
    TLexDocument doc;
    TLexColumn* zh = nullptr;
    TLexColumn* western = nullptr;
    TLexColumn* western1 = nullptr; // another sequence of the same language
};

TEST_F(TranslationTest, UntranslatedCellsNeedAValueInAnotherLanguage) {
    const struct {
        const TLexColumn* column;
        TTranslationCount count;
        const char* shown;
    } cases[] = {
        {western, {2, 4}, "Root(A) D(E)"},
        {zh, {3, 4}, "C"},
        // C's western value is the same language: nothing to translate.
        {western1, {1, 3}, "Root(A) D(E)"},
    };
    for (const auto& c : cases) {
        const TLexColumn& column = *c.column;
        EXPECT_EQ(doc.TranslationCount(column), c.count) << c.shown;
        EXPECT_EQ(Shown(UntranslatedNodes(doc.Tree(), column)), c.shown);
    }
    TLexDocument empty;
    empty.AddDefaultLanguages();
    EXPECT_TRUE(UntranslatedNodes(empty.Tree(), *empty.Band936()->Column(0)).empty());
}

TEST_F(TranslationTest, NextAndPreviousUntranslatedGoRound) {
    const struct {
        bool forward;
        const char* focused;
        TSearchResult result;
    } steps[] = {
        {true, "A:2", TSearchResult::Found}, // from no focus: the first
        {true, "E:2", TSearchResult::Found},    {true, "A:2", TSearchResult::Wrapped},
        {false, "E:2", TSearchResult::Wrapped}, {false, "A:2", TSearchResult::Found},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(FindUntranslated(doc, *western, step.forward), step.result) << step.focused;
        EXPECT_EQ(Focused(), step.focused);
        EXPECT_EQ(doc.Tree().SelectionCount(), 1);
    }
    // The only one, focused: found again after going round. None: nothing moves.
    doc.Tree().SetFocusedNode(doc.FindNodeByKey("C"));
    EXPECT_EQ(FindUntranslated(doc, *zh, true), TSearchResult::Wrapped);
    EXPECT_EQ(Focused(), "C:1");
    doc.SetNodeValue(doc.FindNodeByKey("C"), zh->Index(), "w");
    EXPECT_EQ(FindUntranslated(doc, *zh, false), TSearchResult::NotFound);
    EXPECT_EQ(Focused(), "C:1");
}

// After every kind of change the kept count equals a count made afresh.
TEST_F(TranslationTest, CountsFollowEditsDeletionsAndUndo) {
    test::UndoHistory history(doc);
    const auto node = [this](const char* Key) { return doc.FindNodeByKey(Key); };
    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"translate A", [&] { doc.SetNodeValue(node("A"), western->Index(), "t"); }},
        {"empty B's Chinese", [&] { doc.SetNodeValue(node("B"), zh->Index(), ""); }},
        {"empty C", [&] { doc.SetNodeValue(node("C"), western->Index(), ""); }},
        {"new node", [&] { doc.NewNode(); }},
        {"delete D and E", [&] { doc.DeleteNode(node("D")); }},
        {"undo", [&] { history.Undo(); }},
        {"undo", [&] { history.Undo(); }},
        {"redo", [&] { history.Redo(); }},
        {"new sequence", [&] { doc.AddSequenceColumn(doc.Band936(), "1"); }},
        {"replace",
         [&] {
             ReplaceText(doc, {u"x", u"", {doc.Band936()}, false, true});
         }},
    };
    for (const auto& c : changes) {
        doc.TranslationCount(*western); // counted before the change, kept through it
        c.change();
        doc.PostEdit();
        TTranslationCounter fresh(doc.Tree());
        EXPECT_EQ(doc.TranslationCount(*western), fresh.Count(*western)) << c.name;
    }
    // No Chinese is left: A's and B's western values have nothing to answer.
    EXPECT_EQ(doc.TranslationCount(*western), (TTranslationCount{2, 2}));
}

} // namespace
} // namespace lex
