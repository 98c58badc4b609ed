// The main window on real widgets: start-up, the idle rules, opening and
// saving, the history list, the close question, the editor's context menu.
#include "app/FormCodePage_U.h"
#include "app/FormExport_U.h"
#include "app/FormLexMain_U.h"
#include "app/LexFileDialog.h"
#include "app/LumoOption.h"
#include "app/MdiWindows.h"
#include "editor/LexLoader.h"
#include "editor/NodeListLexReader.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexTreeModel.h"
#include "platform/CodePageCatalog.h"
#include "platform/FileUtil.h"
#include "platform/MessageBox.h"
#include "support/DocumentState.h"
#include "support/MainWindowTest.h"
#include "support/WhenModal.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace lex::test {
namespace {

class FormLexMainTest : public MainWindowTest {
protected:
    // A CSV-style lexicon of top-level keys with a western value each.
    std::string WriteLexicon(const std::string& Name, const std::vector<std::string>& Keys) {
        const std::string path = dir / Name;
        std::ofstream out(path, std::ios::binary);
        out << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n";
        for (const std::string& key : Keys)
            out << '"' << key << "\",\"1252\",\"0\",\"v\",,\r\n";
        return path;
    }

    std::vector<std::string> BandCaptions(TFormLexEditor& Editor) {
        std::vector<std::string> captions;
        const TLexTree& tree = Editor.Document().Tree();
        for (int i = 0; i < tree.BandCount(); ++i) {
            std::string caption = tree.Band(i)->Caption + ":";
            for (int c = 0; c < tree.Band(i)->ColumnCount(); ++c)
                caption += " " + tree.Band(i)->Column(c)->Caption;
            captions.push_back(caption);
        }
        return captions;
    }

    // The actions among the idle-ruled ones that are enabled now.
    std::string EnabledActions() {
        window->ApplicationEvents1Idle();
        const std::pair<const char*, QAction*> watched[] = {
            {"Big5", window->Action_Big5},
            {"Close", window->Action_Close},
            {"DeleteNode", window->Action_DeleteNode},
            {"ExportNode", window->Action_ExportNode},
            {"Find", window->Action_Find},
            {"FindNext", window->Action_FindNext},
            {"FindPrior", window->Action_FindPrior},
            {"GB", window->Action_GB},
            {"Locate", window->Action_Locate},
            {"Min", window->Action_Min},
            {"NewNode", window->Action_NewNode},
            {"NewSubNode", window->Action_NewSubNode},
            {"Restore", window->Action_Restore},
            {"Save", window->Action_Save},
            {"SaveAs", window->Action_SaveAs}};
        std::string enabled;
        for (const auto& [name, action] : watched)
            if (action->isEnabled()) enabled += (enabled.empty() ? "" : " ") + std::string(name);
        return enabled;
    }

    // Opens the editor's context menu over a grid column (none: the key
    // column) and reads the three captions it rewrites.
    std::string PopupCaptions(TFormLexEditor& Editor, const TLexColumn* Column) {
        QHeaderView* header = Editor.TreeView()->header();
        int section = 0;
        for (int s = 0; s < header->count(); ++s)
            if (Editor.Model()->ColumnAt(s) == Column) section = s;
        emit header->customContextMenuRequested(
            QPoint(header->sectionViewportPosition(section) + 3, 3));
        const auto state = [](QAction* action) {
            return Text(action->text()) + (action->isEnabled() ? "" : " (off)");
        };
        std::string result = state(window->Menu_DeleteLanguage) + " | " +
                             state(window->Menu_NewSequence) + " | " +
                             state(window->Menu_DeleteSequence);
        window->PopupMenu_Lex->hide();
        return result;
    }
};

TEST_F(FormLexMainTest, StartUpOpensOneEmptyLexiconWithTheThreeDefaultLanguages) {
    Start();
    ASSERT_EQ(window->Editors().size(), 1);
    TFormLexEditor& editor = Editor();
    EXPECT_EQ(Text(editor.windowTitle()), "Lexicon 1");
    EXPECT_EQ(BandCaptions(editor),
              (std::vector<std::string>{"LexKey: LexKey", "Chinese Simplified (GB2312): 0",
                                        "Chinese Traditional (Big5): 0",
                                        "Western European (Windows): 0"}));
    EXPECT_EQ(editor.Document().NodeCount(), 0);
    EXPECT_FALSE(editor.Document().Modified());
    EXPECT_FALSE(window->Action_Save->isEnabled());
    EXPECT_TRUE(window->Action_SaveAs->isEnabled());
    EXPECT_EQ(Text(window->StatusPanels[1]->text()), "0");
    EXPECT_EQ(Text(window->windowTitle()), "Lex Manager");
}

TEST_F(FormLexMainTest, ShortcutsAreWhereDesktopUsersExpectThemAndNeverShared) {
    Start();
    const std::pair<QAction*, const char*> expected[] = {
        {window->Action_NewLex, "Ctrl+N"}, {window->Action_Open, "Ctrl+O"},
        {window->Action_Save, "Ctrl+S"},   {window->Action_SaveAs, "Ctrl+Shift+S"},
        {window->Action_Exit, "Ctrl+Q"},   {window->HelpContents1, "F1"},
        {window->Action_Find, "Ctrl+F"},   {window->Action_FindNext, "F3"},
    };
    for (const auto& [action, keys] : expected)
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(keys)))
            << action->objectName().toStdString();
    std::map<QString, QString> owners;
    for (QAction* action : window->findChildren<QAction*>()) {
        if (!action->isVisible()) continue;
        if (action->shortcut().isEmpty()) continue;
        const auto [owner, fresh] =
            owners.emplace(action->shortcut().toString(), action->objectName());
        EXPECT_TRUE(fresh) << action->shortcut().toString().toStdString() << ": "
                           << owner->second.toStdString() << " and "
                           << action->objectName().toStdString();
    }
}

// Every item of every menu, the menu titles of the bar among them, is
// reachable by a letter of its own in that menu.
TEST_F(FormLexMainTest, EveryMenuItemHasAnAcceleratorOfItsOwn) {
    LumoOption->HistoryFiles = {"one.lxc", "two.lxc"};
    Start();
    window->NewLexicon();
    Settle();
    std::vector<QWidget*> menus = {window->MainMenu1, window->PopupMenu_Lex,
                                   window->PopupMenu_ToolBar, window->PopupMenu_HistoryFile};
    for (std::size_t m = 0; m < menus.size(); ++m) {
        QWidget* menu = menus[m];
        if (auto* popup = qobject_cast<QMenu*>(menu)) emit popup->aboutToShow();
        std::map<QKeySequence, QString> owners;
        for (QAction* item : menu->actions()) {
            if (item->isSeparator() || !item->isVisible()) continue;
            if (item->menu()) menus.push_back(item->menu());
            const QKeySequence key = QKeySequence::mnemonic(item->text());
            const std::string where = Text(menu->objectName()) + ": " + Text(item->text());
            EXPECT_FALSE(key.isEmpty()) << where;
            if (key.isEmpty()) continue;
            const auto [owner, fresh] = owners.emplace(key, item->text());
            EXPECT_TRUE(fresh) << where << " shares its letter with " << Text(owner->second);
        }
    }
    EXPECT_GE(menus.size(), 14u); // the bar's nine menus and the history submenu were walked
}

// The menu bar, every menu and bar, one a line: the names of the items
// ("|" a separator, "~" a nameless widget), and "/" before a bar that starts
// a new row of the bar area.
std::string Layouts(TFormLexMain& Window) {
    std::vector<QWidget*> containers = {Window.MainMenu1};
    for (QAction* item : Window.MainMenu1->actions())
        containers.push_back(item->menu());
    for (QWidget* each : std::initializer_list<QWidget*>{
             Window.PopupMenu_Lex, Window.PopupMenu_ToolBar, Window.ToolBar_Menu,
             Window.ToolBar_MDI, Window.ToolBar_File, Window.ToolBar_Edit, Window.ToolBar_Search,
             Window.ToolBar_DB, Window.ToolBar_DFM})
        containers.push_back(each);
    std::string layouts;
    for (QWidget* container : containers) {
        auto* bar = qobject_cast<QToolBar*>(container);
        layouts +=
            (bar && Window.toolBarBreak(bar) ? "/" : "") + Text(container->objectName()) + ":";
        for (QAction* item : container->actions()) {
            QString name = item->objectName();
            if (item->isSeparator())
                name = QStringLiteral("|");
            else if (item->menu())
                name = item->menu()->objectName();
            else if (bar && name.isEmpty())
                name = bar->widgetForAction(item)->objectName();
            layouts += " " + (name.isEmpty() ? std::string("~") : Text(name));
        }
        layouts += "\n";
    }
    return layouts;
}

TEST_F(FormLexMainTest, MenusAndBarsShowTheCommandsInTheirGroups) {
    Start();
    EXPECT_EQ(
        Layouts(*window),
        "MainMenu1: Menu_File Menu_Edit Menu_Search Menu_View Menu_DataBase Menu_Data Menu_Option "
        "Menu_Windows Menu_Help\n"
        "Menu_File: Action_NewLex Action_Open Action_Import | Action_Save Action_SaveAs | "
        "Action_Export Action_ExportNode | Menu_HistoryFile | Action_Exit\n"
        "Menu_Edit: EditUndo1 EditRedo1 | EditCut1 EditCopy1 EditPaste1 | Action_Replace\n"
        "Menu_Search: Action_Find Action_FindPrior Action_FindNext | Action_Locate | "
        "Action_NextUntranslated Action_PriorUntranslated Action_UntranslatedOnly\n"
        "Menu_View: Action_ViewMenu Action_ViewFile Action_ViewEdit Action_ViewDB "
        "Action_ViewSearch Action_ViewDFM\n"
        "Menu_DataBase: Action_OpenDB Action_ImportDB | Action_SaveDB\n"
        "Menu_Data: Action_NewNode Action_NewSubNode Action_DeleteNode | Action_GB Action_Big5 | "
        "Action_NewLang | Action_DFM2Lex Action_Lex2DFM Action_GrabData | Action_CheckLex\n"
        "Menu_Option: Action_Font | Action_EditorDialog Action_EditorSimple Action_EditorPanel | "
        "Action_ShowEditorGrid Action_ImmediateEdit | Action_CaseSensitive Action_ChinesePhrases\n"
        "Menu_Windows: WindowTileHorizontal1 WindowTileVertical1 WindowArrange1 WindowCascade1 "
        "WindowMinimizeAll1\n"
        "Menu_Help: HelpContents1 HelpTopicSearch1 HelpOnHelp1 | Action_About\n"
        "PopupMenu_Lex: Action_NewNode Action_NewSubNode Action_DeleteNode | Action_NewLang "
        "Action_DeleteLang | Action_NewSequence Action_DeleteSequence | Action_ExportNode | "
        "Action_DFM2Lex Action_Lex2DFM Action_GrabData\n"
        "PopupMenu_ToolBar: Action_ViewMenu Action_ViewFile Action_ViewEdit Action_ViewDB "
        "Action_ViewSearch Action_ViewDFM\n"
        "ToolBar_Menu: MainMenu1\n"
        "ToolBar_MDI: ~ Action_Min Action_Restore Action_Close\n"
        "/ToolBar_File: Action_NewLex | Action_Open Action_Import | Action_Save Action_Export\n"
        "ToolBar_Edit: Action_NewNode Action_NewSubNode Action_DeleteNode | EditCut1 EditCopy1 "
        "EditPaste1 EditUndo1 EditRedo1 | Action_GB Action_Big5 | Action_NewLang\n"
        "/ToolBar_Search: Label_Search Edit_LexValue | Action_Find Action_FindPrior "
        "Action_FindNext | Action_Locate | Action_NextUntranslated Action_PriorUntranslated "
        "Action_UntranslatedOnly\n"
        "ToolBar_DB: Action_OpenDB Action_ImportDB | Action_SaveDB\n"
        "ToolBar_DFM: Action_DFM2Lex Action_Lex2DFM | Action_GrabData\n");
}

// Size, place, maximised state and bar layout outlive the run; a layout
// that does not read leaves the bars as they start.
TEST_F(FormLexMainTest, TheWindowComesBackAsItWasLeft) {
    LumoOption->WindowMaximized = false;
    std::tie(LumoOption->WindowLeft, LumoOption->WindowTop, LumoOption->WindowWidth,
             LumoOption->WindowHeight) = std::make_tuple(30, 40, 800, 560);
    window = std::make_unique<TFormLexMain>();
    window->ShowPlaced();
    Settle();
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->geometry(), QRect(30, 40, 800, 560));
    const auto fileBesideMenu = [this] {
        return window->ToolBar_File->y() == window->ToolBar_Menu->y();
    };
    EXPECT_FALSE(fileBesideMenu());
    window->removeToolBarBreak(window->ToolBar_File); // the user drags it up a row
    window->showMaximized();
    Settle();
    ASSERT_TRUE(window->close());
    EXPECT_TRUE(LumoOption->WindowMaximized);
    EXPECT_EQ(QRect(LumoOption->WindowLeft, LumoOption->WindowTop, LumoOption->WindowWidth,
                    LumoOption->WindowHeight),
              QRect(30, 40, 800, 560));
    window.reset();

    for (const bool garbled : {false, true}) {
        SCOPED_TRACE(garbled);
        if (garbled) LumoOption->ToolBarLayout = "not a layout";
        window = std::make_unique<TFormLexMain>();
        window->ShowPlaced();
        Settle();
        EXPECT_TRUE(window->isMaximized());
        EXPECT_EQ(fileBesideMenu(), !garbled);
        window.reset();
    }
}

TEST_F(FormLexMainTest, NewEditorsTakeTheKeyColumnWidthLastGiven) {
    LumoOption->KeyColumnWidth = 180;
    Start();
    EXPECT_EQ(Editor().TreeView()->header()->sectionSize(0), 180);
    emit Editor().KeyColumnResized(230);
    EXPECT_EQ(LumoOption->KeyColumnWidth, 230);
    window->NewLexicon();
    Settle();
    EXPECT_EQ(Editor().TreeView()->header()->sectionSize(0), 230);
}

TEST_F(FormLexMainTest, OptionsDecideTheToggleStatesAndTheToolbars) {
    LumoOption->ShowToolBarDB = false;
    LumoOption->ShowEditorGrid = false;
    LumoOption->CaseSensitive = true;
    LumoOption->EditorStyle = TEditorStyle::Panel;
    Start();
    EXPECT_FALSE(window->Action_ViewDB->isChecked());
    EXPECT_FALSE(window->ToolBar_DB->isVisible());
    EXPECT_TRUE(window->ToolBar_DFM->isVisible());
    EXPECT_TRUE(window->Action_EditorPanel->isChecked());
    EXPECT_FALSE(window->Action_EditorSimple->isChecked());
    EXPECT_FALSE(window->Action_ShowEditorGrid->isChecked());
    EXPECT_TRUE(window->Action_CaseSensitive->isChecked());
    EXPECT_FALSE(window->Action_CaseSensitive->isEnabled());

    // A toggle shows its bar again and remembers it.
    window->Action_ViewDB->trigger();
    EXPECT_TRUE(window->ToolBar_DB->isVisible());
    EXPECT_TRUE(LumoOption->ShowToolBarDB);
    window->Action_ViewMenu->trigger();
    EXPECT_FALSE(window->ToolBar_Menu->isVisible());
    EXPECT_FALSE(LumoOption->ShowToolBarMenu);
}

TEST_F(FormLexMainTest, AnEditorStyleOutsideTheThreeLeavesEditorSimpleChecked) {
    LumoOption->EditorStyle = static_cast<TEditorStyle>(1);
    Start();
    EXPECT_TRUE(window->Action_EditorSimple->isChecked());
    window->Action_EditorDialog->trigger();
    EXPECT_EQ(LumoOption->EditorStyle, TEditorStyle::Dialog);
    EXPECT_FALSE(window->Action_EditorSimple->isChecked());
}

struct CommandLineCase {
    const char* Name;
    TCommandLine::Kind Kind;
    bool Loaded;
    bool Message;
};
void PrintTo(const CommandLineCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class CommandLineTest : public FormLexMainTest,
                        public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, IsAppliedToTheStartUpEditor) {
    const CommandLineCase& c = GetParam();
    const std::string sample = std::string(LEX_TEST_DATA) + "/sample.lxc";
    Start({c.Kind, sample});
    Settle();
    ASSERT_EQ(window->Editors().size(), 1);
    TLexDocument& doc = Editor().Document();
    EXPECT_EQ(doc.NodeCount() > 0, c.Loaded);
    EXPECT_EQ(!shown.empty(), c.Message) << (shown.empty() ? "" : shown.front());
    if (c.Loaded) {
        EXPECT_EQ(Text(Editor().windowTitle()), sample);
        EXPECT_EQ(LumoOption->HistoryFiles, std::vector<std::string>{sample});
        EXPECT_EQ(window->Gauge_Load->value(), 100);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineTest,
    ::testing::Values(CommandLineCase{"none", TCommandLine::Kind::None, false, false},
                      CommandLineCase{"file", TCommandLine::Kind::File, true, false},
                      // A path is no table name: refused with a message.
                      CommandLineCase{"table", TCommandLine::Kind::Table, false, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FormLexMainTest, OpeningReusesOnlyAFreshEmptyWindow) {
    Start();
    const std::string first = WriteLexicon("first.lxc", {"A", "B"});
    const std::string second = WriteLexicon("second.lxc", {"C"});
    TFormLexEditor* startEditor = window->ActiveEditor();

    window->OpenLexiconFile(first);
    Settle();
    EXPECT_EQ(window->Editors().size(), 1);
    EXPECT_EQ(window->ActiveEditor(), startEditor);
    EXPECT_EQ(startEditor->Document().NodeCount(), 2);

    window->OpenLexiconFile(second);
    Settle();
    EXPECT_EQ(window->Editors().size(), 2);
    EXPECT_NE(window->ActiveEditor(), startEditor);
    EXPECT_EQ(Text(window->ActiveEditor()->windowTitle()), second);

    // A new lexicon with unsaved changes is not empty any more.
    SetModified(window->NewLexicon()->Document(), true);
    Settle();
    window->OpenLexiconFile(WriteLexicon("third.lxc", {"D"}));
    Settle();
    EXPECT_EQ(window->Editors().size(), 4);

    // Nor is one holding keys, saved or not (a table's, say).
    TLexDocument& withKeys = window->NewLexicon()->Document();
    withKeys.NewNode();
    withKeys.PostEdit();
    SetModified(withKeys, false);
    Settle();
    window->OpenLexiconFile(WriteLexicon("fourth.lxc", {"E"}));
    Settle();
    EXPECT_EQ(window->Editors().size(), 6);
}

TEST_F(FormLexMainTest, AFileAlreadyOpenGoesToItsWindow) {
    Start();
    const std::string file = WriteLexicon("open.lxc", {"A", "B"});
    window->OpenLexiconFile(file);
    Settle();
    TFormLexEditor* first = window->ActiveEditor();
    first->Document().NewNode(); // unsaved work a second editor of the file would hide
    first->Document().PostEdit();
    window->NewLexicon();
    Settle();

    const std::string otherSpelling =
        (std::filesystem::path(file).parent_path() / "." / "open.lxc").string();
    window->OpenLexiconFile(otherSpelling);
    Settle();
    EXPECT_EQ(window->Editors().size(), 2);
    EXPECT_EQ(window->ActiveEditor(), first);
    EXPECT_EQ(first->Document().NodeCount(), 3);
}

TEST_F(FormLexMainTest, FailedOpenShowsTheErrorAndTheWindowCarriesOn) {
    Start();
    window->RememberFile(dir / "missing.lxc");
    window->PopupMenu_HistoryFile->actions().at(0)->trigger();
    Settle();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_NE(shown[0].find("missing.lxc"), std::string::npos) << shown[0];
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Action_NewLex->isEnabled());
}

struct BadFileCase {
    const char* Name;
    const char* Text;    // the text lexicon bad.lxc; none: a binary file cut short
    const char* Message; // the part of the message after the file's name
    int Nodes;           // what was read before the fault
};
void PrintTo(const BadFileCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class BadFileTest : public FormLexMainTest, public ::testing::WithParamInterface<BadFileCase> {};

// A load that fails or is refused leaves what was read on show, but the
// window is no longer the file's: its title is the plain numbered one, and
// Save asks for a name instead of replacing the file with what was read.
TEST_P(BadFileTest, LeavesTheWindowUnboundAndTheFileAsItWas) {
    const BadFileCase& c = GetParam();
    std::string path = dir / "bad.lxc";
    if (!c.Text) {
        path = dir / "cut.lxb";
        {
            TLexDocument whole;
            OpenFile(whole, WriteLexicon("whole.lxc", {"One", "Two", "Three"}), {});
            SaveAs(whole, path);
        }
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - 20);
    } else {
        std::ofstream(path, std::ios::binary) << c.Text;
    }
    const std::string before = ReadFileBytes(path);
    Start();
    PlayOpenDialog(path);
    window->Action_Open->trigger();
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(c.Message), std::string::npos) << shown[0];
    TLexDocument& doc = Editor().Document();
    EXPECT_EQ(Text(Editor().windowTitle()), "Lexicon 1");
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(doc.NodeCount(), c.Nodes);

    doc.NewNode();
    doc.PostEdit();
    bool asked = false;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        asked = true;
        dialog.reject();
    });
    window->ApplicationEvents1Idle();
    window->Action_Save->trigger();
    Settle();
    EXPECT_TRUE(asked);
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(LumoOption->HistoryFiles.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadFileTest,
    ::testing::Values(
        BadFileCase{"cut_binary", nullptr, "cut.lxb\": Invalid stream format", 2},
        BadFileCase{"no_key_field", "\"Key\",\"Value\",\r\n\"One\",\"v\",\r\n",
                    "Field \"LexKey\" not found!", 0},
        BadFileCase{"unclosed_quote",
                    "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
                    "\"One\",\"1252\",\"0\",\"Eins\",,\r\n\"Two\",\"1252\",\"0\",\"Zwei,,\r\n"
                    "\"Three\",\"1252\",\"0\",\"Drei\",,\r\n",
                    "bad.lxc\": line 3: the quoted value that starts here is never closed", 2}),
    [](const auto& info) { return std::string(info.param.Name); });

struct IdleCase {
    const char* Name;
    std::function<void(TFormLexMain&, TFormLexEditor&)> Setup;
    const char* Enabled;
};
void PrintTo(const IdleCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class IdleRulesTest : public FormLexMainTest, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(IdleRulesTest, EnableTheActionsFromTheActiveEditor) {
    Start();
    GetParam().Setup(*window, Editor());
    Settle();
    EXPECT_EQ(EnabledActions(), GetParam().Enabled);
}

void DeleteBand(TLexDocument& Doc, TLexBand* Band) {
    for (int i = Band->ColumnCount() - 1; i >= 0; --i)
        Doc.DeleteSequenceColumn(Band->Column(i));
    Doc.DeleteLanguageBand(Band);
}

INSTANTIATE_TEST_SUITE_P(
    States, IdleRulesTest,
    ::testing::Values(
        IdleCase{"fresh", [](TFormLexMain&, TFormLexEditor&) {},
                 "Close Min NewNode Restore SaveAs"},
        IdleCase{"no_editor",
                 [](TFormLexMain& w, TFormLexEditor&) {
                     w.MDIClient->closeAllSubWindows();
                     Settle();
                 },
                 ""},
        // The child-window buttons act on a maximised child only.
        IdleCase{"not_maximised",
                 [](TFormLexMain& w, TFormLexEditor& e) { w.SubWindowOf(e)->showNormal(); },
                 "NewNode SaveAs"},
        IdleCase{"new_node", [](TFormLexMain&, TFormLexEditor& e) { e.Document().NewNode(); },
                 "Big5 Close DeleteNode ExportNode GB Min NewNode NewSubNode Restore Save SaveAs"},
        IdleCase{"search_text",
                 [](TFormLexMain& w, TFormLexEditor&) { w.Edit_LexValue->setText("x"); },
                 "Close Find Locate Min NewNode Restore SaveAs"},
        IdleCase{"no_950_band",
                 [](TFormLexMain&, TFormLexEditor& e) {
                     DeleteBand(e.Document(), e.Document().Band950());
                     e.Document().NewNode();
                 },
                 "Close DeleteNode ExportNode Min NewNode NewSubNode Restore Save SaveAs"},
        // A Chinese band whose last sequence went has nothing to convert.
        IdleCase{"band_950_without_columns",
                 [](TFormLexMain&, TFormLexEditor& e) {
                     TLexDocument& doc = e.Document();
                     doc.DeleteSequenceColumn(doc.Band950()->Column(0));
                     doc.NewNode();
                 },
                 "Close DeleteNode ExportNode Min NewNode NewSubNode Restore Save SaveAs"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FormLexMainTest, FindStepsFollowTheHitList) {
    Start();
    window->OpenLexiconFile(WriteLexicon("fruit.lxc", {"Apple", "Banana", "Apricot"}));
    Settle();
    window->Edit_LexValue->setText("ap");
    window->ApplicationEvents1Idle();
    window->Action_Find->trigger();
    const char* const stepping = "Close DeleteNode ExportNode Find FindNext FindPrior Locate Min "
                                 "NewNode NewSubNode Restore SaveAs";
    EXPECT_EQ(EnabledActions(), stepping);
    window->Action_FindNext->trigger();
    // The last hit: the steps go round, so both stay offered.
    EXPECT_EQ(EnabledActions(), stepping);
    window->Edit_LexValue->setText("zzz");
    window->Action_Find->trigger();
    const std::string after = EnabledActions();
    EXPECT_EQ(after.find("FindNext"), std::string::npos) << after;
    EXPECT_EQ(after.find("FindPrior"), std::string::npos) << after;
}

TEST_F(FormLexMainTest, EnterInTheSearchBoxLocates) {
    Start();
    window->OpenLexiconFile(WriteLexicon("keys.lxc", {"One", "Two", "Three"}));
    Settle();
    window->Edit_LexValue->setText("two");
    emit window->Edit_LexValue->returnPressed();
    TLexDocument& doc = Editor().Document();
    ASSERT_NE(doc.Tree().FocusedNode(), nullptr);
    EXPECT_EQ(doc.Key(doc.Tree().FocusedNode()), "Two");
}

TEST_F(FormLexMainTest, HistoryMenusFollowTheListAndOpenTheirFile) {
    Start();
    EXPECT_FALSE(window->Menu_HistoryFile->menuAction()->isEnabled());
    const std::string first = WriteLexicon("one.lxc", {"K"});
    window->RememberFile(first);
    window->RememberFile(dir / "two.lxc");
    window->RememberFile(dir / "ONE.lxc");
    EXPECT_EQ(LumoOption->HistoryFiles, (std::vector<std::string>{first, dir / "two.lxc"}));
    for (QMenu* menu : {window->Menu_HistoryFile, window->PopupMenu_HistoryFile}) {
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_EQ(Text(menu->actions()[1]->text()), "&1\t" + dir / "two.lxc");
    }
    window->ApplicationEvents1Idle();
    EXPECT_TRUE(window->Menu_HistoryFile->menuAction()->isEnabled());

    window->Menu_HistoryFile->actions()[0]->trigger();
    Settle();
    EXPECT_EQ(window->Editors().size(), 1);
    EXPECT_EQ(Editor().Document().FileName(), first);
}

struct SaveAsCase {
    const char* Name;
    const char* FileName; // the editor's before
    int Preselected;
    int Pick;
    const char* Typed;
    const char* Saved;
};
void PrintTo(const SaveAsCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class SaveAsTest : public FormLexMainTest, public ::testing::WithParamInterface<SaveAsCase> {};

TEST_P(SaveAsTest, PreselectsTheTypeAndCompletesTheName) {
    const SaveAsCase& c = GetParam();
    Start();
    TLexDocument& doc = Editor().Document();
    if (*c.FileName) TLexDocumentTestAccess::SetFileName(doc, dir / c.FileName);
    doc.NewNode();
    int preselected = 0;
    PlaySaveDialog(c.Pick, dir / c.Typed, &preselected);
    window->Action_SaveAs->trigger();
    Settle();

    const std::string saved = dir / c.Saved;
    EXPECT_EQ(preselected, c.Preselected);
    EXPECT_TRUE(std::filesystem::exists(saved)) << saved;
    EXPECT_EQ(doc.FileName(), saved);
    EXPECT_EQ(Text(Editor().windowTitle()), saved);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(LumoOption->HistoryFiles, std::vector<std::string>{saved});
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveAsTest,
    ::testing::Values(SaveAsCase{"new_lexicon", "", 2, 0, "plain", "plain.lxc"},
                      SaveAsCase{"from_lng", "old.lng", 2, 0, "a", "a.lxc"},
                      SaveAsCase{"from_form_text", "old.lxd", 3, 0, "b.lxd", "b.lxd"},
                      // The type alone adds no extension until the user picks one.
                      SaveAsCase{"from_binary", "old.LXB", 4, 0, "c", "c.lxc"},
                      SaveAsCase{"picked_form_text", "", 2, 3, "d", "d.lxd"},
                      SaveAsCase{"picked_binary", "", 2, 4, "e", "e.lxb"},
                      SaveAsCase{"picked_any", "", 2, 5, "f", "f.lxc"},
                      SaveAsCase{"typed_extension", "", 2, 4, "g.txt", "g.txt"}),
    [](const auto& info) { return std::string(info.param.Name); });

struct ReplaceCase {
    const char* Name;
    int Pick;            // the file type picked in the dialog (0: untouched)
    const char* Typed;   // the name typed
    const char* Written; // the name the save goes to, which exists already
    int Answer;          // to the question whether to replace it
};
void PrintTo(const ReplaceCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class SaveAsReplaceTest : public FormLexMainTest,
                          public ::testing::WithParamInterface<ReplaceCase> {};

// The question names the file that will really be written, also when the
// extension is added after the dialog. No keeps it byte for byte and shows
// the dialog again, where the user gives up.
TEST_P(SaveAsReplaceTest, AsksBeforeReplacingTheFileTheNameIsCompletedTo) {
    const ReplaceCase& c = GetParam();
    Start();
    const std::string existing = WriteLexicon(c.Written, {"Keep"});
    const std::string before = ReadFileBytes(existing);
    TLexDocument& doc = Editor().Document();
    doc.NewNode();
    int preselected = 0;
    PlaySaveDialog(c.Pick, dir / c.Typed, &preselected);
    answers = {c.Answer};
    bool askedAgain = false;
    if (c.Answer == IDNO) {
        // Queued once the first dialog has gone.
        QTimer::singleShot(0, [&] {
            WhenModal<QFileDialog>([&](QFileDialog& dialog) {
                askedAgain = true;
                dialog.reject();
            });
        });
    }
    window->Action_SaveAs->trigger();
    Settle();

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Confirm|File \"" + existing + "\" already exists. Replace it?");
    if (c.Answer == IDNO) {
        EXPECT_TRUE(askedAgain);
        EXPECT_EQ(ReadFileBytes(existing), before);
        EXPECT_TRUE(doc.Modified());
        EXPECT_EQ(doc.FileName(), "");
    } else {
        EXPECT_NE(ReadFileBytes(existing), before);
        EXPECT_FALSE(doc.Modified());
        EXPECT_EQ(doc.FileName(), existing);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, SaveAsReplaceTest,
                         ::testing::Values(ReplaceCase{"bare_name_no", 0, "foo", "foo.lxc", IDNO},
                                           ReplaceCase{"bare_name_yes", 0, "foo", "foo.lxc", IDYES},
                                           ReplaceCase{"picked_type_no", 4, "bar", "bar.lxb", IDNO},
                                           ReplaceCase{"picked_any_no", 5, "baz", "baz.lxc", IDNO},
                                           ReplaceCase{"typed_in_full_no", 0, "qux.lxd", "qux.lxd",
                                                       IDNO}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(FormLexMainTest, SaveAsOnATableBoundEditorKeepsTheBindingAndTheTitle) {
    Start();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    TLexDocumentTestAccess::BindTable(doc, "FORMLEX", "localhost : lex : FORMLEX");
    editor.RefreshCaption();
    doc.NewNode();
    int preselected = 0;
    PlaySaveDialog(0, dir / "copy", &preselected);
    window->Action_SaveAs->trigger();
    Settle();
    EXPECT_TRUE(std::filesystem::exists(dir / "copy.lxc"));
    EXPECT_EQ(doc.TableName(), "FORMLEX");
    EXPECT_EQ(doc.FileName(), "");
    EXPECT_EQ(Text(editor.windowTitle()), "localhost : lex : FORMLEX");
    EXPECT_TRUE(doc.Modified()); // the table has not been written
}

TEST_F(FormLexMainTest, SaveWritesToTheFileItCameFrom) {
    Start();
    const std::string path = WriteLexicon("keys.lxc", {"One"});
    window->OpenLexiconFile(path);
    Settle();
    Editor().Document().NewNode();
    window->ApplicationEvents1Idle();
    ASSERT_TRUE(window->Action_Save->isEnabled());
    window->Action_Save->trigger();
    EXPECT_FALSE(Editor().Document().Modified());
    std::ifstream in(path);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(content.find("LexKey1"), std::string::npos) << content;
}

// Another program's save of a file an editor has open: same size, and a
// modification time moved on, so only the bytes tell.
void ReplaceBehindTheEditor(const std::string& Path, const std::string& Bytes) {
    static time_t later_still = 4'000'000'000;
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Bytes;
    const timespec later[2] = {{0, UTIME_OMIT}, {++later_still, 0}};
    ::utimensat(AT_FDCWD, Path.c_str(), later, 0);
}

std::string FileText(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

struct ChangedSaveCase {
    const char* Name;
    int Answer;
    bool OursWritten; // onto the file the editor came from
    bool AsksForName; // the save dialog comes up (and is cancelled)
};
void PrintTo(const ChangedSaveCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class ChangedSaveTest : public FormLexMainTest,
                        public ::testing::WithParamInterface<ChangedSaveCase> {};

// Save finds the file changed since it was read: nothing is written until
// the user says whether to replace it, save under another name or neither.
TEST_P(ChangedSaveTest, AsksBeforeReplacingWhatAnotherProgramSaved) {
    const ChangedSaveCase& c = GetParam();
    Start();
    const std::string path = WriteLexicon("shared.lxc", {"One"});
    window->OpenLexiconFile(path);
    Settle();
    TLexDocument& doc = Editor().Document();
    doc.NewNode();
    const std::string theirs = WriteLexicon("theirs.lxc", {"Two"});
    ReplaceBehindTheEditor(path, FileText(theirs));
    answers = {c.Answer};
    bool askedForName = false;
    if (c.AsksForName)
        WhenModal<QFileDialog>([&askedForName](QFileDialog& Dialog) {
            askedForName = true;
            Dialog.reject();
        });

    window->ApplicationEvents1Idle();
    window->Action_Save->trigger();
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Confirm|\"shared.lxc\" was changed on disk by another program since it "
                        "was read. Yes replaces it, No saves under another name.");
    EXPECT_EQ(FileText(path).find("LexKey1") != std::string::npos, c.OursWritten);
    EXPECT_EQ(FileText(path).find("Two") != std::string::npos, !c.OursWritten);
    EXPECT_EQ(askedForName, c.AsksForName);
    EXPECT_EQ(doc.Modified(), !c.OursWritten);
    EXPECT_EQ(doc.FileName(), path);

    // What was saved is what the next Save compares with: no second question.
    doc.NewNode();
    shown.clear();
    answers = {IDYES};
    window->ApplicationEvents1Idle();
    window->Action_Save->trigger();
    Settle();
    EXPECT_EQ(shown.size(), c.OursWritten ? 0u : 1u);
    EXPECT_FALSE(doc.Modified());
}

INSTANTIATE_TEST_SUITE_P(Answers, ChangedSaveTest,
                         ::testing::Values(ChangedSaveCase{"Replace", IDYES, true, false},
                                           ChangedSaveCase{"AnotherName", IDNO, false, true},
                                           ChangedSaveCase{"Cancel", IDCANCEL, false, false}),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// Coming back to the window: an unmodified lexicon changed on disk is offered
// for reload, once for each change; a modified one is marked in its title
// and left to Save's question.
TEST_F(FormLexMainTest, ComingBackOffersToReloadWhatChangedOnDisk) {
    Start();
    const std::string path = WriteLexicon("shared.lxc", {"One"});
    window->OpenLexiconFile(path);
    Settle();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    window->CheckFilesOnDisk();
    EXPECT_TRUE(shown.empty());

    ReplaceBehindTheEditor(path, FileText(WriteLexicon("two.lxc", {"Two"})));
    answers = {IDNO};
    window->CheckFilesOnDisk();
    window->CheckFilesOnDisk(); // the same change is not asked about again
    ASSERT_EQ(shown,
              std::vector<std::string>{
                  "Confirm|\"shared.lxc\" was changed on disk by another program. Reload it?"});
    EXPECT_EQ(doc.Key(doc.Tree().FirstNode()), "One");

    ReplaceBehindTheEditor(path, FileText(WriteLexicon("six.lxc", {"Six"})));
    answers = {IDYES};
    window->CheckFilesOnDisk();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(doc.Key(doc.Tree().FirstNode()), "Six");
    EXPECT_FALSE(doc.Modified());

    doc.NewNode();
    ReplaceBehindTheEditor(path, FileText(WriteLexicon("ten.lxc", {"Ten"})));
    window->CheckFilesOnDisk();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(Text(editor.windowTitle()), path + " (changed on disk)");
    EXPECT_TRUE(doc.Modified());
}

// The lock file beside an open lexicon: another running instance's lock is
// a question before opening, a lock whose process is gone is none, and the
// window's own lock goes with the window.
TEST_F(FormLexMainTest, ALexiconOpenElsewhereIsOpenedOnlyIfTheUserWants) {
    Start();
    const std::string path = WriteLexicon("shared.lxc", {"One"});
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string lock = dir / ".~lock.shared.lxc#";
    std::ofstream(lock) << "someone," << host << "," << ::getppid() << ",2026-12-11 08:00:00\n";
    answers = {IDNO};
    window->OpenLexiconFile(path);
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0],
              "Confirm|\"" + path + "\" (someone@" + host +
                  ", 2026-12-11 08:00:00) is open in another Lex Manager. Open it anyway?");
    EXPECT_EQ(Editor().Document().FileName(), "");

    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    std::ofstream(lock, std::ios::trunc) << "someone," << host << "," << gone << ",then\n";
    window->OpenLexiconFile(path);
    Settle();
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(Editor().Document().FileName(), path);
    EXPECT_NE(FileText(lock).find("," + std::to_string(::getpid()) + ","), std::string::npos);

    window->Action_Close->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(std::filesystem::exists(lock));
}

struct CloseCase {
    const char* Name;
    int Answer;
    bool HasFile;
    bool DialogSaves; // when the save dialog comes up
    bool Closes;
    bool Written;
};
void PrintTo(const CloseCase& Case, std::ostream* Out) {
    *Out << Case.Name;
}

class CloseTest : public FormLexMainTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, AModifiedEditorAsksBeforeTheProgramEnds) {
    const CloseCase& c = GetParam();
    Start();
    TLexDocument& doc = Editor().Document();
    const std::string file = dir / "lexicon.lxc";
    if (c.HasFile) TLexDocumentTestAccess::SetFileName(doc, file);
    doc.NewNode();
    answers = {c.Answer};
    int preselected = 0;
    const bool dialog = c.Answer == IDYES && !c.HasFile;
    if (dialog && c.DialogSaves)
        PlaySaveDialog(0, file, &preselected);
    else if (dialog)
        CancelSaveDialog();

    EXPECT_EQ(window->close(), c.Closes);
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::string("Confirm|\"") + (c.HasFile ? "lexicon.lxc" : "Lexicon 1") +
                            "\": Data modified, Save?");
    EXPECT_EQ(std::filesystem::exists(file), c.Written);
    EXPECT_EQ(window->Editors().size(), c.Closes ? 0 : 1);
    if (!c.Closes) {
        EXPECT_TRUE(Editor().Document().Modified());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseTest,
    ::testing::Values(CloseCase{"cancel", IDCANCEL, true, false, false, false},
                      CloseCase{"no", IDNO, true, false, true, false},
                      CloseCase{"yes_with_file", IDYES, true, false, true, true},
                      CloseCase{"yes_dialog_cancelled", IDYES, false, false, false, false},
                      CloseCase{"yes_dialog_named", IDYES, false, true, true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// An export writes another file: the editor's own changes are still
// unsaved, so closing asks.
TEST_F(FormLexMainTest, ExportingLeavesTheEditorModified) {
    Start();
    const std::string path = WriteLexicon("keys.lxc", {"One", "Two"});
    window->OpenLexiconFile(path);
    Settle();
    TLexDocument& doc = Editor().Document();
    doc.NewNode();
    doc.PostEdit();
    const std::string parts[] = {dir / "all.lxc", dir / "node.lxc"};
    PlayExportDialog(parts[0]);
    window->Action_Export->trigger();
    window->ApplicationEvents1Idle();
    PlayExportDialog(parts[1]);
    window->Action_ExportNode->trigger();
    for (const std::string& part : parts)
        EXPECT_NE(ReadFileBytes(part).find("LexKey1"), std::string::npos) << part;
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.FileName(), path);

    answers = {IDCANCEL};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(shown, std::vector<std::string>{"Confirm|\"keys.lxc\": Data modified, Save?"});
    EXPECT_EQ(ReadFileBytes(path).find("LexKey1"), std::string::npos);
}

// The open cell is committed through the grid first, as for every other
// command: a character the language cannot hold is refused with its message,
// never stored cut short, and nothing is exported.
TEST_F(FormLexMainTest, ExportCommandsRefuseACellTheLanguageCannotHold) {
    Start();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    TTreeNode* node = doc.NewNode();
    editor.PostEdit();
    const int western = doc.Tree().Band(3)->Column(0)->Index();
    for (QAction* action : {window->Action_Export, window->Action_ExportNode}) {
        SCOPED_TRACE(Text(action->text()));
        shown.clear();
        QTreeView* view = editor.TreeView();
        const QModelIndex cell = editor.Model()->IndexOf(node, western);
        view->setCurrentIndex(cell);
        view->edit(cell);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed editors
        auto* box = view->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(box, nullptr);
        box->setText(QString::fromUtf8("\xE4\xB8\xAD")); // a Chinese character
        bool dialogShown = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialogShown = true;
                static_cast<QDialog*>(dialog)->reject();
            }
        });
        window->ApplicationEvents1Idle();
        action->trigger();
        Settle();
        EXPECT_FALSE(dialogShown);
        EXPECT_EQ(shown, std::vector<std::string>{
                             "Error|Character U+4E2D cannot be written in code page 1252"});
        EXPECT_EQ(doc.Tree().Value(node, western), "");
        box->setText(QString());
        editor.PostEdit();
    }
}

TEST_F(FormLexMainTest, EveryEditorIsAskedBeforeAnyCloses) {
    Start();
    TFormLexEditor& first = Editor();
    first.Document().NewNode();
    first.Document().PostEdit();
    TFormLexEditor& second = *window->NewLexicon();
    second.Document().NewNode();
    second.Document().PostEdit();
    answers = {IDNO, IDCANCEL};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(shown.size(), 2u);
    // The one answered No is still there with its changes.
    EXPECT_EQ(window->Editors().size(), 2);
    EXPECT_TRUE(first.Document().Modified());

    answers = {IDNO, IDNO};
    EXPECT_TRUE(window->close());
    Settle();
    EXPECT_EQ(shown.size(), 4u);
    EXPECT_TRUE(window->Editors().isEmpty());
}

TEST_F(FormLexMainTest, ContextMenuNamesTheLanguageAndSequenceUnderThePointer) {
    Start();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    EXPECT_EQ(PopupCaptions(editor, doc.Tree().Column(0)),
              "Delete &Language (off) | Ne&w Sequence (off) | Delete Se&quence (off)");
    TLexColumn* big5 = doc.Band950()->Column(0);
    EXPECT_EQ(PopupCaptions(editor, big5),
              "Delete &Language - Chinese Traditional (Big5) | Ne&w Sequence | "
              "Delete Se&quence - Chinese Traditional (Big5) - 0");
    // Back on the key band the names go again.
    EXPECT_EQ(PopupCaptions(editor, doc.Tree().Column(0)),
              "Delete &Language (off) | Ne&w Sequence (off) | Delete Se&quence (off)");

    PopupCaptions(editor, big5);
    window->Action_DeleteLang->trigger();
    EXPECT_EQ(doc.Band950(), nullptr);
    EXPECT_EQ(BandCaptions(editor),
              (std::vector<std::string>{"LexKey: LexKey", "Chinese Simplified (GB2312): 0",
                                        "Western European (Windows): 0"}));
    EXPECT_EQ(window->FPopupBand, nullptr);
}

TEST_F(FormLexMainTest, NewSequenceTakesTheSmallestFreeNumber) {
    Start();
    TLexDocument& doc = Editor().Document();
    TLexBand* band = doc.Band936();
    doc.AddSequenceColumn(band, "1");
    doc.AddSequenceColumn(band, "3");
    PopupCaptions(Editor(), band->Column(0));
    window->Action_NewSequence->trigger();
    PopupCaptions(Editor(), band->Column(0));
    window->Action_NewSequence->trigger();
    EXPECT_EQ(BandCaptions(Editor())[1], "Chinese Simplified (GB2312): 0 1 2 3 4");
    EXPECT_EQ(band->Column(0)->Width, 200 / 5);

    PopupCaptions(Editor(), band->Column(2));
    window->Action_DeleteSequence->trigger();
    EXPECT_EQ(BandCaptions(Editor())[1], "Chinese Simplified (GB2312): 0 1 3 4");
}

TEST_F(FormLexMainTest, AddNewLanguageOffersOnlyTheMissingCodePages) {
    Start();
    int offered = -1;
    bool offersPresent = true;
    WhenModal<TFormCodePage>([&](TFormCodePage& dialog) {
        offered = dialog.CheckListBox_Lang->count();
        offersPresent = !dialog.CheckListBox_Lang->findItems("936 ", Qt::MatchStartsWith).isEmpty();
        dialog.Edit_CodePage->setText("1251");
        dialog.accept();
    });
    window->Action_NewLang->trigger();
    EXPECT_EQ(offered, CodePageList->Count() - 3);
    EXPECT_FALSE(offersPresent);
    EXPECT_EQ(BandCaptions(Editor()).back(), "Cyrillic (Windows): 0");
}

// The first run writes the font in use, not an empty name and size 0.
TEST_F(FormLexMainTest, TheOptionsHoldTheFontInUse) {
    Start();
    const QFont font = QApplication::font();
    EXPECT_EQ(LumoOption->Font.Name, Text(font.family()));
    EXPECT_EQ(LumoOption->Font.Size, QFontInfo(font).pointSize());
    EXPECT_GT(LumoOption->Font.Size, 0);
    LumoOption->SaveToIni();
    const std::string ini = ReadFileBytes(LumoOption->FileName());
    EXPECT_NE(ini.find("FontName=" + Text(font.family()) + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FontSize=" + std::to_string(LumoOption->Font.Size) + "\n"),
              std::string::npos)
        << ini;
}

// Plays the add-language dialog: each text typed in turn and OK pressed,
// the list's entries recorded as they are offered.
void PlayCodePageDialog(std::vector<QString> Typed, std::vector<std::string>* Offered) {
    WhenModal<TFormCodePage>([=](TFormCodePage& dialog) {
        for (int i = 0; i < dialog.CheckListBox_Lang->count(); ++i)
            Offered->push_back(Text(dialog.CheckListBox_Lang->item(i)->text()).substr(0, 11));
        for (const QString& text : Typed) {
            dialog.Edit_CodePage->setText(text);
            dialog.BitBtn_OK->click();
        }
        if (dialog.isVisible()) dialog.reject();
    });
}

// Only a code page of the catalogue is taken, by number; one that has a
// band already goes to that band instead of making a second one.
TEST_F(FormLexMainTest, AddNewLanguageTakesOnlyCatalogueCodePagesAndNoSecondBand) {
    Start();
    TFormLexEditor& editor = Editor();
    const std::vector<std::string> before = BandCaptions(editor);
    std::vector<std::string> offered;
    PlayCodePageDialog({"Cyr", " 0936 "}, &offered);
    window->Action_NewLang->trigger();
    EXPECT_EQ(shown, std::vector<std::string>{
                         "Error|Code page \"Cyr\" is unknown. Choose one of the list."});
    EXPECT_EQ(BandCaptions(editor), before);

    PlayCodePageDialog({"1251 "}, &offered);
    window->Action_NewLang->trigger();
    EXPECT_EQ(BandCaptions(editor).back(), "Cyrillic (Windows): 0");
}

// A band whose last sequence is deleted stays, and every rule sees it as it
// is: no language to export or convert, but offered again by Add New
// Language, which gives it a sequence back, as New Sequence does.
TEST_F(FormLexMainTest, ABandWithoutSequencesStaysReachable) {
    Start();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    TTreeNode* node = doc.NewNode();
    editor.PostEdit();
    TLexBand* western = doc.Tree().Band(3);
    PopupCaptions(editor, western->Column(0));
    window->Action_DeleteSequence->trigger();
    ASSERT_EQ(BandCaptions(editor).back(), "Western European (Windows):");

    int languages = -1;
    WhenModal<TFormExport>([&](TFormExport& dialog) {
        languages = dialog.CheckListBox_Language->count();
        dialog.reject();
    });
    window->ApplicationEvents1Idle();
    window->Action_Export->trigger();
    EXPECT_EQ(languages, 2);

    std::vector<std::string> offered;
    PlayCodePageDialog({"1252"}, &offered);
    window->Action_NewLang->trigger();
    EXPECT_EQ(std::count(offered.begin(), offered.end(), "1252       "), 1);
    EXPECT_EQ(std::count(offered.begin(), offered.end(), "936        "), 0);
    EXPECT_EQ(BandCaptions(editor).back(), "Western European (Windows): 0");
    EXPECT_EQ(doc.Tree().BandCount(), 4);

    PopupCaptions(editor, doc.Band950()->Column(0));
    window->Action_DeleteSequence->trigger();
    window->ApplicationEvents1Idle();
    EXPECT_FALSE(window->Action_GB->isEnabled());
    // The header shows the band: its context menu brings a sequence back.
    QHeaderView* header = editor.TreeView()->header();
    int section = -1;
    for (int s = 0; s < header->count(); ++s)
        if (editor.Model()->BandAt(s) == doc.Band950()) section = s;
    ASSERT_GE(section, 0);
    EXPECT_FALSE(header->isSectionHidden(section));
    emit header->customContextMenuRequested(
        QPoint(header->sectionViewportPosition(section) + 3, 3));
    window->PopupMenu_Lex->hide();
    ASSERT_TRUE(window->Action_NewSequence->isEnabled());
    window->Action_NewSequence->trigger();
    EXPECT_EQ(BandCaptions(editor)[2], "Chinese Traditional (Big5): 0");
    doc.Tree().SetFocusedNode(node);
    window->ApplicationEvents1Idle();
    EXPECT_TRUE(window->Action_GB->isEnabled());
}

// Deleting one language leaves every other band in the header, also one an
// import added.
TEST_F(FormLexMainTest, DeleteLanguageKeepsEveryOtherBand) {
    Start();
    window->Action_NewLex->trigger();
    Settle();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    const std::string path = dir / "central.lxc";
    std::ofstream(path, std::ios::binary)
        << "\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\"CatalogID\",\r\n"
        << "\"File\",\"1250\",\"0\",\"Soubor\",,\r\n";
    PlayOpenDialog(path);
    window->Action_Import->trigger();
    Settle();
    ASSERT_EQ(doc.Tree().BandCount(), 5);

    PopupCaptions(editor, doc.Band950()->Column(0));
    window->Action_DeleteLang->trigger();
    Settle();
    std::vector<std::string> headerBands;
    QHeaderView* header = editor.TreeView()->header();
    for (int s = 0; s < header->count(); ++s) {
        const TLexBand* band = editor.Model()->BandAt(s);
        if (!header->isSectionHidden(s) && header->sectionSize(s) > 0 && band &&
            (headerBands.empty() || headerBands.back() != band->Caption))
            headerBands.push_back(band->Caption);
    }
    EXPECT_EQ(headerBands, (std::vector<std::string>{"LexKey", "Chinese Simplified (GB2312)",
                                                     "Western European (Windows)",
                                                     "Central European (Windows)"}));
}

TEST_F(FormLexMainTest, GaugeShowsTheRoundedPercentage) {
    Start();
    const std::pair<double, int> cases[] = {{0.0, 0},     {0.004, 0}, {0.005, 1}, {0.5, 50},
                                            {0.999, 100}, {1.5, 100}, {-1, 0}};
    for (const auto& [fraction, percent] : cases) {
        window->Gauge_Load->setValue(42);
        bool accept = false;
        window->ShowProgress({}, fraction, accept);
        EXPECT_EQ(window->Gauge_Load->value(), percent) << fraction;
        EXPECT_FALSE(accept);
    }
}

TEST_F(FormLexMainTest, FontChoiceReachesTheOptionsAndTheMenuCaption) {
    Start();
    WhenModal<QFontDialog>([](QFontDialog& dialog) {
        QFont font = dialog.currentFont();
        font.setPointSize(17);
        dialog.setCurrentFont(font);
        dialog.accept();
    });
    window->Action_Font->trigger();
    EXPECT_EQ(LumoOption->Font.Size, 17);
    EXPECT_EQ(Text(window->Menu_Font->text()), "&Font    (" + LumoOption->Font.Name + " - 17)");
    EXPECT_EQ(Editor().font().pointSize(), 17);
}

TEST_F(FormLexMainTest, TilingSharesTheAreaBetweenTheWindows) {
    Start();
    window->NewLexicon();
    Settle();
    const QRect area = window->MDIClient->viewport()->rect();
    window->WindowTileHorizontal1->trigger();
    std::vector<QRect> frames;
    for (QMdiSubWindow* w : window->MDIClient->subWindowList())
        frames.push_back(w->geometry());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].width(), area.width());
    EXPECT_EQ(frames[0].height() + frames[1].height(), area.height());

    window->WindowTileVertical1->trigger();
    frames.clear();
    for (QMdiSubWindow* w : window->MDIClient->subWindowList())
        frames.push_back(w->geometry());
    EXPECT_EQ(frames[0].height(), area.height());
    EXPECT_EQ(frames[0].width() + frames[1].width(), area.width());
    EXPECT_NE(frames[0].x(), frames[1].x());
}

TEST_F(FormLexMainTest, WindowsMenuListsTheEditorsWithTheActiveOneChecked) {
    Start();
    window->NewLexicon();
    Settle();
    emit window->Menu_Windows->aboutToShow();
    std::vector<std::string> items;
    for (QAction* item : window->Menu_Windows->actions())
        if (!item->isSeparator())
            items.push_back(Text(item->text()) + (item->isChecked() ? " *" : ""));
    EXPECT_EQ(items, (std::vector<std::string>{"Tile &Horizontally", "&Tile Vertically", "&Arrange",
                                               "&Cascade", "&Minimize All", "&1 Lexicon 1",
                                               "&2 Lexicon 2 *"}));
    window->Menu_Windows->actions().at(6)->trigger();
    EXPECT_EQ(Text(Editor().windowTitle()), "Lexicon 1");
}

// The modified mark follows the flag both ways, whatever sets it; the
// editor's own title stays the lexicon's caption.
TEST_F(FormLexMainTest, AModifiedEditorShowsItInItsFrameAndTheWindowsMenu) {
    Start();
    const std::string path = dir / "R&D.lxc";
    const auto shown = [this] {
        window->ApplicationEvents1Idle();
        emit window->Menu_Windows->aboutToShow();
        return Text(ShownTitle(*window->SubWindowOf(Editor()))) + " | " +
               Text(window->Menu_Windows->actions().back()->text());
    };
    EXPECT_EQ(shown(), "Lexicon 1 | &1 Lexicon 1");
    window->Action_NewNode->trigger();
    Settle();
    EXPECT_EQ(shown(), "Lexicon 1* | &1 Lexicon 1*");
    EXPECT_EQ(Text(Editor().windowTitle()), "Lexicon 1");
    int preselected = 0;
    PlaySaveDialog(0, path, &preselected);
    window->Action_SaveAs->trigger();
    Settle();
    EXPECT_EQ(shown(), path + " | &1 " + (dir / "R&&D.lxc"));
}

// File names are the file system's bytes (UTF-8 here), whatever the
// interface code page: the Windows menu and the error messages decode them
// as such.
TEST_F(FormLexMainTest, FileNamesReadAsTheFileSystemWritesThem) {
    ASSERT_TRUE(ForcedCodePage);
    Start();
    const std::string path = WriteLexicon("\xC3\x84.lxc", {"One"}); // "Ä.lxc"
    window->OpenLexiconFile(path);
    Settle();
    emit window->Menu_Windows->aboutToShow();
    EXPECT_EQ(window->Menu_Windows->actions().back()->text(),
              QStringLiteral("&1 ") + QString::fromUtf8(path.c_str()));

    window->RememberFile(dir / "\xC3\x84-gone.lxc");
    window->PopupMenu_HistoryFile->actions().back()->trigger();
    Settle();
    ASSERT_EQ(shown.size(), 1u);
    // The message box reads its bytes in code page 1252, where "Ä" is 0xC4.
    EXPECT_NE(shown[0].find("/\xC4-gone.lxc"), std::string::npos) << shown[0];
}

TEST_F(FormLexMainTest, TheBarAreaOffersTheViewToggles) {
    Start();
    const auto rightClick = [](QWidget* Target) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                Target->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(Target, &event);
    };
    rightClick(window->MDIClient->viewport());
    EXPECT_FALSE(window->PopupMenu_ToolBar->isVisible());
    rightClick(window->ToolBar_DB);
    EXPECT_TRUE(window->PopupMenu_ToolBar->isVisible());
    EXPECT_EQ(window->PopupMenu_ToolBar->actions(), window->ViewToggles());
    window->PopupMenu_ToolBar->hide();
}

TEST_F(FormLexMainTest, StandardEditActionsWorkOnTheFocusedTextBox) {
    Start();
    window->Edit_LexValue->setFocus();
    window->Edit_LexValue->setText("word");
    window->ApplicationEvents1Idle();
    EXPECT_FALSE(window->EditCut1->isEnabled());
    window->Edit_LexValue->selectAll();
    window->ApplicationEvents1Idle();
    ASSERT_TRUE(window->EditCut1->isEnabled());
    EXPECT_TRUE(window->EditCopy1->isEnabled());
    window->EditCut1->trigger();
    EXPECT_EQ(Text(window->Edit_LexValue->text()), "");
    EXPECT_EQ(Text(QApplication::clipboard()->text()), "word");
    Settle();
    window->ApplicationEvents1Idle();
    EXPECT_TRUE(window->EditUndo1->isEnabled());
    EXPECT_TRUE(window->EditPaste1->isEnabled());
    window->EditUndo1->trigger();
    EXPECT_EQ(Text(window->Edit_LexValue->text()), "word");
}

// Fixed pairs, checked once against the tables: GB2312 "打开" and Big5
// "打開", GB2312 "国" and Big5 "國".
TEST_F(FormLexMainTest, ChineseConversionCoversTheSelectedNodesOnly) {
    Start();
    LumoOption->ChinesePhrases = false; // the tables' answers below
    TLexDocument& doc = Editor().Document();
    TLexTree& tree = doc.Tree();
    const int gbColumn = doc.Band936()->Column(0)->Index();
    const int big5Column = doc.Band950()->Column(0)->Index();
    std::vector<TTreeNode*> nodes;
    for (int i = 0; i < 3; ++i) {
        nodes.push_back(doc.NewNode());
        Editor().PostEdit();
        tree.SetValue(nodes.back(), gbColumn, "\xB4\xF2\xBF\xAA");
    }
    tree.ClearSelection();
    tree.Select(nodes[2]);
    tree.Select(nodes[0]);
    window->ApplicationEvents1Idle();
    window->Action_Big5->trigger();
    EXPECT_EQ(tree.Value(nodes[0], big5Column), "\xA5\xB4\xB6\x7D");
    EXPECT_EQ(tree.Value(nodes[1], big5Column), "");
    EXPECT_EQ(tree.Value(nodes[2], big5Column), "\xA5\xB4\xB6\x7D");

    tree.SetValue(nodes[1], big5Column, "\xB0\xEA");
    tree.ClearSelection();
    tree.Select(nodes[1]);
    window->ApplicationEvents1Idle();
    window->Action_GB->trigger();
    EXPECT_EQ(tree.Value(nodes[1], gbColumn), "\xB9\xFA");
    EXPECT_EQ(tree.Value(nodes[0], gbColumn), "\xB4\xF2\xBF\xAA");
}

// "Convert Chinese by phrases", on from the start, converts 复制 as a word
// (複製); off, the tables convert it character by character (復制).
TEST_F(FormLexMainTest, ChinesePhrasesOptionChoosesTheConversion) {
    Start();
    ASSERT_TRUE(window->Action_ChinesePhrases->isChecked());
    TLexDocument& doc = Editor().Document();
    TTreeNode* node = doc.NewNode();
    Editor().PostEdit();
    doc.Tree().SetValue(node, doc.Band936()->Column(0)->Index(), "\xB8\xB4\xD6\xC6");
    const auto big5 = [&] {
        window->ApplicationEvents1Idle();
        window->Action_Big5->trigger();
        return std::string(doc.Tree().Value(node, doc.Band950()->Column(0)->Index()));
    };
    EXPECT_EQ(big5(), "\xBD\xC6\xBBs");
    window->Action_ChinesePhrases->trigger();
    EXPECT_FALSE(LumoOption->ChinesePhrases);
    EXPECT_EQ(big5(), "\xB4_\xA8\xEE");
}

// Ctrl+Z belongs to the text box being typed in; elsewhere it undoes the
// editor's last step, and the captions and the modified mark follow.
TEST_F(FormLexMainTest, UndoGoesToTheTextBoxBeingTypedInElseToTheEditorsSteps) {
    Start();
    TFormLexEditor& editor = Editor();
    TLexDocument& doc = editor.Document();
    QTreeView* view = editor.TreeView();
    const auto idle = [this, &editor] {
        window->ApplicationEvents1Idle();
        return Text(window->EditUndo1->text()) + (window->EditUndo1->isEnabled() ? "" : " (off)") +
               " | " + Text(window->EditRedo1->text()) +
               (window->EditRedo1->isEnabled() ? "" : " (off)") + " | " +
               Text(ShownTitle(*window->SubWindowOf(editor)));
    };
    EXPECT_EQ(window->EditUndo1->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(window->EditRedo1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    window->Action_NewNode->trigger();
    editor.PostEdit();
    TTreeNode* node = doc.Tree().FocusedNode();
    const QModelIndex cell = editor.Model()->IndexOf(node, doc.Band936()->Column(0)->Index());
    view->setCurrentIndex(cell);
    view->edit(cell);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the key's editor
    auto* box = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->insert(QStringLiteral("abc"));
    const auto press = [](QWidget* Target, QEvent::Type Type) {
        QKeyEvent event(Type, Qt::Key_Z, Qt::ControlModifier);
        QApplication::sendEvent(Target, &event);
        return event.isAccepted();
    };
    EXPECT_TRUE(press(box, QEvent::ShortcutOverride)); // the box keeps Ctrl+Z from the menu
    press(box, QEvent::KeyPress);
    EXPECT_EQ(Text(box->text()), "");
    box->insert(QStringLiteral("abc"));
    editor.PostEdit();
    EXPECT_EQ(doc.Tree().Value(node, doc.Band936()->Column(0)->Index()), "abc");

    view->setFocus();
    EXPECT_EQ(idle(), "&Undo Edit Cell | &Redo (off) | Lexicon 1*");
    window->EditUndo1->trigger();
    EXPECT_EQ(doc.Tree().Value(node, doc.Band936()->Column(0)->Index()), "");
    EXPECT_EQ(idle(), "&Undo New Node | &Redo Edit Cell | Lexicon 1*");
    window->EditUndo1->trigger();
    EXPECT_EQ(doc.NodeCount(), 0);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(idle(), "&Undo (off) | &Redo New Node | Lexicon 1");
    window->EditRedo1->trigger();
    window->EditRedo1->trigger();
    EXPECT_EQ(doc.Tree().Value(node, doc.Band936()->Column(0)->Index()), "abc");
    EXPECT_EQ(idle(), "&Undo Edit Cell | &Redo (off) | Lexicon 1*");
}

TEST_F(FormLexMainTest, DeleteNodeSaysHowManyKeysGoWhenMoreThanOne) {
    Start();
    TLexDocument& doc = Editor().Document();
    // Commands are enabled by the idle pass, as the user's clicks find them.
    const auto run = [this](QAction* Action) {
        window->ApplicationEvents1Idle();
        Action->trigger();
    };
    run(window->Action_NewNode);
    TTreeNode* parent = doc.Tree().FocusedNode();
    run(window->Action_NewSubNode);
    Editor().PostEdit();
    doc.Tree().SetFocusedNode(parent);
    run(window->Action_NewSubNode);
    Editor().PostEdit();
    doc.Tree().SetFocusedNode(parent);
    answers = {IDNO};
    run(window->Action_DeleteNode);
    EXPECT_EQ(shown, std::vector<std::string>{"Confirm|Delete 3 keys?"});
    EXPECT_EQ(doc.NodeCount(), 3);
    answers = {IDYES};
    run(window->Action_DeleteNode);
    EXPECT_EQ(doc.NodeCount(), 0);

    shown.clear();
    run(window->Action_NewNode);
    run(window->Action_DeleteNode); // one key: no question
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(doc.NodeCount(), 0);
    Editor().TreeView()->setFocus();
    run(window->EditUndo1);
    run(window->EditUndo1);
    run(window->EditUndo1);
    EXPECT_EQ(doc.NodeCount(), 3); // the subtree is back
    EXPECT_EQ(parent->Count(), 2);
}

} // namespace
} // namespace lex::test
