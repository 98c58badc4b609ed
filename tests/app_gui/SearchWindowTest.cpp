// Searching, replacing and the keys still to translate from the main window,
// on real widgets, on a western desktop with a Chinese language.
#include "app/FormReplace_U.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexTreeModel.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/WhenModal.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QUndoStack>
#include <fstream>
#include <gtest/gtest.h>

namespace lex::test {
namespace {

const char* const Wenjian = "\xCE\xC4\xBC\xFE"; // 文件 in GB2312

class SearchWindowTest : public MainWindowTest {
protected:
    // File(&Open Save) Exit, in Chinese (936) and English (1252): &Open has
    // no English yet, Exit no Chinese.
    SearchWindowTest() {
        Start();
        window->resize(1000, 700);
        Settle();
        const std::string path = dir / "menu.lxc";
        std::ofstream out(path, std::ios::binary);
        out << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
            << "\"File\",\"936\",\"0\",\"" << Wenjian << "\",,\r\n"
            << "\"File\",\"1252\",\"0\",\"File\",,\r\n"
            << "\"&Open\",\"936\",\"0\",\"\xB4\xF2\xBF\xAA" << Wenjian << "\",\"File\",\r\n"
            << "\"Save\",\"936\",\"0\",\"\xB1\xA3\xB4\xE6\",\"File\",\r\n"
            << "\"Save\",\"1252\",\"0\",\"Save\",\"File\",\r\n"
            << "\"Exit\",\"1252\",\"0\",\"Exit\",,\r\n";
        out.close();
        window->OpenLexiconFile(path);
        Settle();
        editor = window->ActiveEditor();
        view = editor->TreeView();
    }

    TLexDocument& Doc() { return editor->Document(); }
    // A cell's index by key and code page ("" for the key).
    QModelIndex Cell(const char* Key, const char* CodePage = "") {
        const TLexTree& tree = Doc().Tree();
        int column = 0;
        for (int c = 1; c < tree.ColumnCount(); ++c)
            if (TLexDocument::BandCodePage(*tree.Column(c)->Band) == CodePage) column = c;
        return editor->Model()->IndexOf(Doc().FindNodeByKey(Key), column);
    }
    // The grid's current cell, as "key codepage", and whether it has the focus.
    std::string Current() {
        const QModelIndex current = view->currentIndex();
        const TLexBand* band = editor->Model()->BandAt(current.column());
        return std::string(Doc().Key(editor->Model()->NodeOf(current))) +
               (band && band->Index() > 0 ? " " + TLexDocument::BandCodePage(*band) : "") +
               (view->hasFocus() ? "" : " (unfocused)");
    }
    // Commands are enabled by the idle pass, as the user's clicks find them.
    void Run(QAction* Action) {
        window->ApplicationEvents1Idle();
        Action->trigger();
        window->ApplicationEvents1Idle();
    }
    std::string SearchStep() { return window->StatusPanel_Search->text().toStdString(); }
    // The rows shown, as "key(child child) key".
    std::string Rows(const QModelIndex& Parent = {}) {
        std::string out;
        const TLexTreeModel& model = *editor->Model();
        for (int row = 0; row < model.rowCount(Parent); ++row) {
            const QModelIndex index = model.index(row, 0, Parent);
            out += (out.empty() ? "" : " ") + std::string(Doc().Key(model.NodeOf(index)));
            if (model.rowCount(index) > 0) out += "(" + Rows(index) + ")";
        }
        return out;
    }

    TFormLexEditor* editor = nullptr;
    QTreeView* view = nullptr;
};

TEST_F(SearchWindowTest, FindMarksTheCellGoesRoundAndSaysWhenThereIsNone) {
    window->Edit_LexValue->setText(QStringLiteral("\u6587\u4EF6")); // 文件
    Run(window->Action_Find);
    EXPECT_EQ(Current(), "File 936");
    EXPECT_TRUE(window->Action_FindPrior->isEnabled());
    Run(window->Action_FindNext);
    EXPECT_EQ(Current(), "&Open 936");
    EXPECT_TRUE(view->isExpanded(Cell("File")));
    EXPECT_EQ(SearchStep(), "");
    Run(window->Action_FindNext);
    EXPECT_EQ(Current(), "File 936");
    EXPECT_EQ(SearchStep(), "Passed the end; continued from the beginning.");

    window->Edit_LexValue->setText(QStringLiteral("nothing"));
    Run(window->Action_Find);
    EXPECT_EQ(shown, std::vector<std::string>{"Find|\"nothing\" was not found."});
    EXPECT_FALSE(window->Action_FindNext->isEnabled());
    EXPECT_FALSE(window->Action_FindPrior->isEnabled());
}

TEST_F(SearchWindowTest, NextUntranslatedFocusesTheCellOfTheLanguageChosen) {
    EXPECT_EQ(window->Action_NextUntranslated->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    view->setCurrentIndex(Cell("File", "1252"));
    Run(window->Action_NextUntranslated);
    EXPECT_EQ(Current(), "&Open 1252");
    EXPECT_TRUE(view->isExpanded(Cell("File")));
    Run(window->Action_NextUntranslated); // the only one
    EXPECT_EQ(Current(), "&Open 1252");
    EXPECT_EQ(SearchStep(), "Passed the end; continued from the beginning.");
    // From a key cell, the language last chosen.
    view->setCurrentIndex(Cell("Exit"));
    Run(window->Action_PriorUntranslated);
    EXPECT_EQ(Current(), "&Open 1252");
    EXPECT_EQ(SearchStep(), "");
    view->setCurrentIndex(Cell("File", "936"));
    Run(window->Action_NextUntranslated);
    EXPECT_EQ(Current(), "Exit 936");

    editor->Model()->setData(Cell("&Open", "1252"), QStringLiteral("Open"));
    view->setCurrentIndex(Cell("File", "1252"));
    Run(window->Action_NextUntranslated);
    EXPECT_EQ(shown, std::vector<std::string>{
                         "Next Untranslated|Nothing is left to translate in Western European "
                         "(Windows) - 0."});
    EXPECT_EQ(Current(), "File 1252");
}

TEST_F(SearchWindowTest, TheFilterShowsAncestorsAndGoesOffInOneClick) {
    view->setCurrentIndex(Cell("Save", "1252"));
    Run(window->Action_UntranslatedOnly);
    EXPECT_TRUE(window->Action_UntranslatedOnly->isChecked());
    EXPECT_EQ(Rows(), "File(&Open)");
    EXPECT_TRUE(view->isExpanded(Cell("File")));
    Run(window->Action_UntranslatedOnly);
    EXPECT_FALSE(window->Action_UntranslatedOnly->isChecked());
    EXPECT_EQ(Rows(), "File(&Open Save) Exit");
}

TEST_F(SearchWindowTest, TheStatusBarCountsTheFocusedLanguageAfterEachEdit) {
    const auto figures = [this] {
        window->ApplicationEvents1Idle();
        return window->StatusPanel_Translated->text().toStdString() + " " +
               window->StatusPanel_Translated->toolTip().toStdString();
    };
    view->setCurrentIndex(Cell("File", "1252"));
    EXPECT_EQ(figures(), "3 / 4 Western European (Windows) - 0");
    editor->Model()->setData(Cell("&Open", "1252"), QStringLiteral("Open"));
    EXPECT_EQ(figures(), "4 / 4 Western European (Windows) - 0");
    view->setCurrentIndex(Cell("Exit", "936"));
    EXPECT_EQ(figures(), "3 / 4 Chinese Simplified (GB2312) - 0");
}

// Plays the replace dialog: the texts typed, the focused language (or all)
// chosen, match case as given.
void PlayReplace(const QString& Find, const QString& With, bool FocusedOnly, bool MatchCase) {
    WhenModal<TFormReplace>([=](TFormReplace& dialog) {
        dialog.Edit_Find->setText(Find);
        dialog.Edit_Replace->setText(With);
        dialog.ComboBox_Languages->setCurrentIndex(FocusedOnly ? 1 : 0);
        dialog.CheckBox_MatchCase->setChecked(MatchCase);
        dialog.accept();
    });
}

TEST_F(SearchWindowTest, ReplaceCountsRefusesAndIsOneStep) {
    EXPECT_EQ(window->Action_Replace->shortcut(), QKeySequence(QStringLiteral("Ctrl+H")));
    const auto value = [this](const char* Key, const char* CodePage) {
        return editor->Model()->data(Cell(Key, CodePage)).toString().toStdString();
    };
    view->setCurrentIndex(Cell("File", "1252"));
    // English cannot hold 文件, and has "File" to replace: nothing changes.
    PlayReplace(QStringLiteral("File"), QStringLiteral("\u6587\u4EF6"), false, false);
    Run(window->Action_Replace);
    EXPECT_EQ(shown, std::vector<std::string>{
                         "Error|Character U+6587 cannot be written in code page 1252"});
    EXPECT_EQ(value("File", "1252"), "File");
    EXPECT_EQ(editor->UndoStack()->count(), 0);

    shown.clear();
    PlayReplace(QStringLiteral("\u6587\u4EF6"), QStringLiteral("\u6863\u6848"), false, false);
    Run(window->Action_Replace); // 文件 becomes 档案 in Chinese; English has none
    EXPECT_EQ(shown, std::vector<std::string>{"Replace|2 replacements made."});
    EXPECT_EQ(value("&Open", "936"), "\u6253\u5F00\u6863\u6848");
    EXPECT_EQ(editor->UndoStack()->count(), 1);

    shown.clear();
    PlayReplace(QStringLiteral("e"), QStringLiteral("E"), true, true); // English only
    Run(window->Action_Replace);
    EXPECT_EQ(shown, std::vector<std::string>{"Replace|2 replacements made."});
    EXPECT_EQ(value("File", "1252") + " " + value("Save", "1252") + " " + value("Exit", "1252"),
              "FilE SavE Exit");
    view->setFocus(); // not a text box: Undo goes to the editor
    Run(window->EditUndo1);
    EXPECT_EQ(value("File", "1252") + " " + value("Save", "1252"), "File Save");
}

} // namespace
} // namespace lex::test
