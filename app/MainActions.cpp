#include "app/MainActions.h"

#include "app/FormLexMain_U.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <utility>
#include <vector>

namespace lex {
namespace {

using enum TShownIn;
using enum TEnableRule;
using enum TCheck;
using W = TFormLexMain;

} // namespace

// A row's field and its action's object name, spelt once.
#define LEX_ACTION(Field) &TMainActions::Field, #Field

// Each row: field and name, caption, shortcut, when it is offered, what it
// runs, its picture, where it shows (menu, context menu or bar, and its group
// there), whether it is a check item, the hint when not the caption. Adding
// a command is a row here, in the order of its menu, and its handler in
// FormLexMainCommands.cpp.
// clang-format off
const TActionRow TMainActions::ActionRows[] = {
    {LEX_ACTION(Action_NewLex), "&New Dictionary", "Ctrl+N", Always, &W::Action_NewLexExecute,
     {"document-new"}, {{MenuFile, 1}, {BarFile, 1}}},
    {LEX_ACTION(Action_Open), "&Open From File...", "Ctrl+O", Always, &W::Action_OpenExecute,
     {"document-open"}, {{MenuFile, 1}, {BarFile, 2}}},
    {LEX_ACTION(Action_Import), "&Import From File...", "", Editor, &W::Action_ImportExecute,
     {"text-x-generic", "go-down"}, {{MenuFile, 1}, {BarFile, 2}}},
    {LEX_ACTION(Action_Save), "&Save", "Ctrl+S", Modified, &W::SaveEditor,
     {"document-save"}, {{MenuFile, 2}, {BarFile, 3}}},
    {LEX_ACTION(Action_SaveAs), "Save To File &As...", "Ctrl+Shift+S", Editor, &W::SaveEditorAs,
     {"document-save-as"}, {{MenuFile, 2}}},
    {LEX_ACTION(Action_Export), "&Export To File...", "", Editor, &W::Action_ExportExecute,
     {"text-x-generic", "go-up"}, {{MenuFile, 3}, {BarFile, 3}}},
    {LEX_ACTION(Action_ExportNode), "Export Nodes &To File...", "", AnyNode, &W::Action_ExportNodeExecute,
     {"edit-select-all", "go-up"}, {{MenuFile, 3}, {PopupLex, 4}}},
    {LEX_ACTION(Action_Exit), "E&xit", "Ctrl+Q", Always, &W::Action_ExitExecute,
     {"system-log-out"}, {{MenuFile, 4}}},

    {LEX_ACTION(EditCut1), "Cu&t", "Ctrl+X", Cut, &W::StandardEditExecute,
     {"edit-cut"}, {{MenuEdit, 2}, {BarEdit, 2}}, Plain, "Cu&t"},
    {LEX_ACTION(EditCopy1), "&Copy", "Ctrl+C", Copy, &W::StandardEditExecute,
     {"edit-copy"}, {{MenuEdit, 2}, {BarEdit, 2}}, Plain, "&Copy"},
    {LEX_ACTION(EditPaste1), "&Paste", "Ctrl+V", Paste, &W::StandardEditExecute,
     {"edit-paste"}, {{MenuEdit, 2}, {BarEdit, 2}}, Plain, "&Paste"},
    {LEX_ACTION(EditUndo1), "&Undo", "Ctrl+Z", Undo, &W::StandardEditExecute,
     {"edit-undo"}, {{MenuEdit, 1}, {BarEdit, 2}}, Plain, "&Undo"},
    {LEX_ACTION(EditRedo1), "&Redo", "Ctrl+Shift+Z", Redo, &W::StandardEditExecute,
     {"edit-undo", nullptr, TDrawn::Mirrored}, {{MenuEdit, 1}, {BarEdit, 2}}, Plain, "&Redo"},
    {LEX_ACTION(Action_Replace), "R&eplace...", "Ctrl+H", LanguageColumn, &W::Action_ReplaceExecute,
     {"edit-find", "edit-paste"}, {{MenuEdit, 3}}},

    {LEX_ACTION(Action_Find), "&Find", "Ctrl+F", SearchText, &W::Action_FindExecute,
     {"edit-find"}, {{MenuSearch, 1}, {BarSearch, 1}}},
    {LEX_ACTION(Action_FindPrior), "Find &Prior", "", Hits, &W::Action_FindPriorExecute,
     {"go-previous"}, {{MenuSearch, 1}, {BarSearch, 1}}},
    {LEX_ACTION(Action_FindNext), "Find &Next", "F3", Hits, &W::Action_FindNextExecute,
     {"go-next"}, {{MenuSearch, 1}, {BarSearch, 1}}},
    {LEX_ACTION(Action_Locate), "&Locate", "Ctrl+L", SearchText, &W::Action_LocateExecute,
     {"go-jump"}, {{MenuSearch, 2}, {BarSearch, 2}}},
    {LEX_ACTION(Action_NextUntranslated), "Next &Untranslated", "Ctrl+J", LanguageColumn,
     &W::Action_NextUntranslatedExecute,
     {"preferences-desktop-locale", "go-next"}, {{MenuSearch, 3}, {BarSearch, 3}}},
    {LEX_ACTION(Action_PriorUntranslated), "Previous Un&translated", "Ctrl+Shift+J", LanguageColumn,
     &W::Action_PriorUntranslatedExecute,
     {"preferences-desktop-locale", "go-previous"}, {{MenuSearch, 3}, {BarSearch, 3}}},
    {LEX_ACTION(Action_UntranslatedOnly), "Untranslated &Only", "", LanguageColumn,
     &W::Action_UntranslatedOnlyExecute,
     {"preferences-desktop-locale", "system-search"}, {{MenuSearch, 3}, {BarSearch, 3}}, Check},

    {LEX_ACTION(Action_ViewMenu), "ToolBar &Menu", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},
    {LEX_ACTION(Action_ViewFile), "ToolBar &File", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},
    {LEX_ACTION(Action_ViewEdit), "ToolBar &Edit", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},
    {LEX_ACTION(Action_ViewDB), "ToolBar Data&Base", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},
    {LEX_ACTION(Action_ViewSearch), "ToolBar &Search", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},
    {LEX_ACTION(Action_ViewDFM), "ToolBar &DFM", "", Always, &W::Action_ViewExecute,
     {}, {{MenuView, 1}, {PopupToolBar, 1}}, Checked},

    {LEX_ACTION(Action_OpenDB), "&Open From DB...", "", Always, &W::Action_OpenDBExecute,
     {"network-server", "document-open"}, {{MenuDataBase, 1}, {BarDB, 1}}},
    {LEX_ACTION(Action_ImportDB), "&Import From DB...", "", Editor, &W::Action_ImportDBExecute,
     {"network-server", "go-down"}, {{MenuDataBase, 1}, {BarDB, 1}}},
    {LEX_ACTION(Action_SaveDB), "&Save To DB...", "", Editor, &W::Action_SaveDBExecute,
     {"network-server", "document-save"}, {{MenuDataBase, 2}, {BarDB, 2}}},

    {LEX_ACTION(Action_NewNode), "&New Node", "F5", Editor, &W::Action_NewNodeExecute,
     {"list-add"}, {{MenuData, 1}, {PopupLex, 1}, {BarEdit, 1}}},
    {LEX_ACTION(Action_NewSubNode), "New &Sub Node", "Ctrl+F5", FocusedNode, &W::Action_NewSubNodeExecute,
     {"format-indent-more", "list-add"}, {{MenuData, 1}, {PopupLex, 1}, {BarEdit, 1}}},
    {LEX_ACTION(Action_DeleteNode), "&Delete Node", "Ctrl+Del", AnyNode, &W::Action_DeleteNodeExecute,
     {"list-remove"}, {{MenuData, 1}, {PopupLex, 1}, {BarEdit, 1}}},
    {LEX_ACTION(Action_GB), "Translate To &GB", "", ChineseBands, &W::Action_GBExecute,
     {nullptr, nullptr, TDrawn::BadgeGB}, {{MenuData, 2}, {BarEdit, 3}}},
    {LEX_ACTION(Action_Big5), "Translate To &Big5", "", ChineseBands, &W::Action_Big5Execute,
     {nullptr, nullptr, TDrawn::BadgeBig5}, {{MenuData, 2}, {BarEdit, 3}}},
    {LEX_ACTION(Action_NewLang), "&Add New Language...", "", Editor, &W::Action_NewLangExecute,
     {"preferences-desktop-locale", "list-add"}, {{MenuData, 3}, {PopupLex, 2}, {BarEdit, 4}}},
    {LEX_ACTION(Action_DeleteLang), "Delete &Language", "", PopupLanguage, &W::Action_DeleteLangExecute,
     {"preferences-desktop-locale", "list-remove"}, {{PopupLex, 2}}},
    {LEX_ACTION(Action_NewSequence), "Ne&w Sequence", "", PopupLanguage, &W::Action_NewSequenceExecute,
     {nullptr, "list-add", TDrawn::Sheet}, {{PopupLex, 3}}},
    {LEX_ACTION(Action_DeleteSequence), "Delete Se&quence", "", PopupSequence,
     &W::Action_DeleteSequenceExecute,
     {nullptr, "list-remove", TDrawn::Sheet}, {{PopupLex, 3}}},
    {LEX_ACTION(Action_DFM2Lex), "&Import Data From DFM File...", "", Editor, &W::Action_DFM2LexExecute,
     {nullptr, "go-down", TDrawn::Form}, {{MenuData, 4}, {PopupLex, 5}, {BarDFM, 1}}, Plain,
     "Import Data From DFM File"},
    {LEX_ACTION(Action_Lex2DFM), "&Export LexKey to DFM File...", "", Editor, &W::Action_Lex2DFMExecute,
     {nullptr, "go-up", TDrawn::Form}, {{MenuData, 4}, {PopupLex, 5}, {BarDFM, 1}}, Plain,
     "Export LexKey to DFM File"},
    {LEX_ACTION(Action_GrabData), "G&rab Data From Dictionary...", "", Editor, &W::Action_GrabDataExecute,
     {"edit-paste", "system-search"}, {{MenuData, 4}, {PopupLex, 5}, {BarDFM, 2}}, Plain,
     "Grab Data From Dictionary"},
    {LEX_ACTION(Action_CheckLex), "&Check Lexicon", "", Editor, &W::Action_CheckLexExecute,
     {"text-x-generic", "system-search"}, {{MenuData, 5}}},

    {LEX_ACTION(Action_Font), "&Font", "", Always, &W::Action_FontExecute,
     {"preferences-desktop-font"}, {{MenuOption, 1}}},
    {LEX_ACTION(Action_EditorDialog), "Editor &Dialog", "", Always, &W::Action_EditorDialogExecute,
     {}, {{MenuOption, 2}}, Check},
    {LEX_ACTION(Action_EditorSimple), "Editor &Simple", "", Always, &W::Action_EditorSimpleExecute,
     {}, {{MenuOption, 2}}, Checked},
    {LEX_ACTION(Action_EditorPanel), "Editor &Panel", "", Always, &W::Action_EditorPanelExecute,
     {}, {{MenuOption, 2}}, Check},
    {LEX_ACTION(Action_ShowEditorGrid), "Show Editor &Grid", "", Always, &W::Action_ShowEditorGridExecute,
     {}, {{MenuOption, 3}}, Checked},
    {LEX_ACTION(Action_ImmediateEdit), "&Immediate Edit", "", Always, &W::Action_ImmediateEditExecute,
     {}, {{MenuOption, 3}}, Checked},
    {LEX_ACTION(Action_CaseSensitive), "&CaseSensitive", "", Never, &W::Action_CaseSensitiveExecute,
     {}, {{MenuOption, 4}}, Check},
    {LEX_ACTION(Action_ChinesePhrases), "C&onvert Chinese by phrases", "", Always,
     &W::Action_ChinesePhrasesExecute,
     {}, {{MenuOption, 4}}, Checked},

    {LEX_ACTION(Action_Min), "Minimize", "", Maximized, &W::Action_MinExecute,
     {nullptr, "go-bottom", TDrawn::Window}, {{BarMDI, 1}}},
    {LEX_ACTION(Action_Restore), "Restore", "", Maximized, &W::Action_RestoreExecute,
     {"preferences-system-windows"}, {{BarMDI, 1}}},
    {LEX_ACTION(Action_Close), "Close", "", Maximized, &W::Action_CloseExecute,
     {nullptr, "process-stop", TDrawn::Window}, {{BarMDI, 1}}},

    {LEX_ACTION(WindowTileHorizontal1), "Tile &Horizontally", "", AnyWindow,
     &W::WindowTileHorizontal1Execute,
     {nullptr, nullptr, TDrawn::TiledRows}, {{MenuWindows, 1}}, Plain, "Tile Horizontal"},
    {LEX_ACTION(WindowTileVertical1), "&Tile Vertically", "", AnyWindow,
     &W::WindowTileVertical1Execute,
     {nullptr, nullptr, TDrawn::TiledColumns}, {{MenuWindows, 1}}, Plain, "Tile Vertical"},
    {LEX_ACTION(WindowArrange1), "&Arrange", "", AnyWindow, &W::WindowArrange1Execute,
     {nullptr, nullptr, TDrawn::Minimized}, {{MenuWindows, 1}}, Plain, ""},
    {LEX_ACTION(WindowCascade1), "&Cascade", "", AnyWindow, &W::WindowCascade1Execute,
     {nullptr, nullptr, TDrawn::Cascade}, {{MenuWindows, 1}}, Plain, "Cascade"},
    {LEX_ACTION(WindowMinimizeAll1), "&Minimize All", "", AnyWindow, &W::WindowMinimizeAll1Execute,
     {nullptr, "go-bottom", TDrawn::Cascade}, {{MenuWindows, 1}}, Plain, "Minimize All"},

    {LEX_ACTION(HelpContents1), "&Contents", "F1", Always, &W::HelpContents1Execute,
     {"help-browser"}, {{MenuHelp, 1}}, Plain, "Help Contents"},
    {LEX_ACTION(HelpTopicSearch1), "&Topic Search", "", Always, &W::HelpTopicSearch1Execute,
     {"help-browser", "system-search"}, {{MenuHelp, 1}}, Plain, "Topic Search"},
    {LEX_ACTION(HelpOnHelp1), "&Help on Help", "", Always, &W::HelpOnHelp1Execute,
     {"help-browser", "dialog-information"}, {{MenuHelp, 1}}, Plain, "Help on help"},
    {LEX_ACTION(Action_About), "&About...", "", Always, &W::Action_AboutExecute,
     {"dialog-information"}, {{MenuHelp, 2}}},
};
// clang-format on

#undef LEX_ACTION

namespace {

struct TMenuRow {
    TShownIn In;
    const char* Name;
    const char* Caption;
    const char* Hint;
};

// The menu bar, left to right.
const TMenuRow MenuRows[] = {
    {MenuFile, "Menu_File", "&File", "File"},
    {MenuEdit, "Menu_Edit", "&Edit", "Edit"},
    {MenuSearch, "Menu_Search", "&Search", ""},
    {MenuView, "Menu_View", "&View", ""},
    {MenuDataBase, "Menu_DataBase", "Data&Base", ""},
    {MenuData, "Menu_Data", "&Data", ""},
    {MenuOption, "Menu_Option", "&Option", ""},
    {MenuWindows, "Menu_Windows", "&Windows", ""},
    {MenuHelp, "Menu_Help", "&Help", ""},
};

struct TBarRow {
    QToolBar* TMainActions::*Field;
    TShownIn In;
    const char* Name;
    const char* Title;
    bool NewRow;
};

// The bars in the order of their rows.
const TBarRow BarRows[] = {
    {&TMainActions::ToolBar_Menu, Nowhere, "ToolBar_Menu", "Menu", false},
    {&TMainActions::ToolBar_MDI, BarMDI, "ToolBar_MDI", "MDI", false},
    {&TMainActions::ToolBar_File, BarFile, "ToolBar_File", "File", true},
    {&TMainActions::ToolBar_Edit, BarEdit, "ToolBar_Edit", "Edit", false},
    {&TMainActions::ToolBar_Search, BarSearch, "ToolBar_Search", "Search", true},
    {&TMainActions::ToolBar_DB, BarDB, "ToolBar_DB", "DataBase", false},
    {&TMainActions::ToolBar_DFM, BarDFM, "ToolBar_DFM", "DFM", false},
};

// The actions shown in one menu or bar with their groups, in order.
std::vector<std::pair<int, QAction*>> Placed(const TMainActions& Actions, TShownIn In) {
    std::vector<std::pair<int, QAction*>> placed;
    if (In == Nowhere) return placed; // where a row's unused places are
    for (const TActionRow& row : TMainActions::Rows())
        for (const TPlace& place : row.Places)
            if (place.In == In) placed.emplace_back(place.Group, Actions.*row.Field);
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& A, const auto& B) { return A.first < B.first; });
    return placed;
}

// Fills a menu or a bar, a separator between two groups.
void Fill(QWidget* Container, const TMainActions& Actions, TShownIn In) {
    int group = 0;
    for (const auto& [itemGroup, action] : Placed(Actions, In)) {
        if (group != 0 && itemGroup != group) {
            auto* separator = new QAction(Container);
            separator->setSeparator(true);
            Container->addAction(separator);
        }
        group = itemGroup;
        Container->addAction(action);
    }
}

QMenu* PopupMenu(QWidget* Owner, const char* Name) {
    auto* menu = new QMenu(Owner);
    menu->setObjectName(QString::fromLatin1(Name));
    return menu;
}

} // namespace

std::span<const TActionRow> TMainActions::Rows() {
    return ActionRows;
}

void TMainActions::CreateActions(QWidget* Owner) {
    for (const TActionRow& row : Rows()) {
        auto* action = new QAction(QString::fromLatin1(row.Caption), Owner);
        action->setObjectName(QString::fromLatin1(row.Name));
        // The hint names the command; the mark only serves the menus.
        action->setToolTip(row.Hint ? QString::fromLatin1(row.Hint)
                                    : QString::fromLatin1(row.Caption).remove(u'&'));
        if (*row.Shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(row.Shortcut)));
        // The rules the window decides hold nothing until it first does.
        action->setEnabled(row.Enable == Always);
        action->setCheckable(row.Check != Plain);
        action->setChecked(row.Check == Checked);
        action->setIcon(MainIcon(row.Icon));
        // Checked states show in the menus; an icon there would hide them.
        action->setIconVisibleInMenu(row.Check == Plain);
        this->*row.Field = action;
        Owner->addAction(action);
    }
    EditorStyleGroup = new QActionGroup(Owner);
    EditorStyleGroup->setObjectName(QStringLiteral("EditorStyleGroup"));
    for (QAction* action : {Action_EditorDialog, Action_EditorSimple, Action_EditorPanel})
        EditorStyleGroup->addAction(action);
}

void TMainActions::CreateMenus(QWidget* Owner) {
    MainMenu1 = new QMenuBar(Owner);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    // The bar lives inside a toolbar, never in a desktop-wide menu.
    MainMenu1->setNativeMenuBar(false);

    Menu_HistoryFile = new QMenu(QStringLiteral("&History File"), Owner);
    Menu_HistoryFile->setObjectName(QStringLiteral("Menu_HistoryFile"));
    Menu_HistoryFile->menuAction()->setToolTip(QStringLiteral("History File"));

    for (const TMenuRow& row : MenuRows) {
        QMenu* menu = MainMenu1->addMenu(QString::fromLatin1(row.Caption));
        menu->setObjectName(QString::fromLatin1(row.Name));
        menu->menuAction()->setToolTip(QString::fromLatin1(row.Hint));
        Fill(menu, *this, row.In);
        if (row.In == MenuFile) {
            // The history list comes in its own group, before Exit.
            menu->insertMenu(Action_Exit, Menu_HistoryFile);
            menu->insertSeparator(Action_Exit);
        }
        // The list of editor windows follows these items; the window fills
        // it in each time the menu opens.
        if (row.In == MenuWindows) Menu_Windows = menu;
    }

    PopupMenu_Lex = PopupMenu(Owner, "PopupMenu_Lex");
    Fill(PopupMenu_Lex, *this, PopupLex);
    PopupMenu_ToolBar = PopupMenu(Owner, "PopupMenu_ToolBar");
    Fill(PopupMenu_ToolBar, *this, PopupToolBar);
    PopupMenu_HistoryFile = PopupMenu(Owner, "PopupMenu_HistoryFile");
}

void TMainActions::CreateToolBars(QMainWindow* Owner) {
    for (const TBarRow& row : BarRows) {
        auto* bar = new QToolBar(QString::fromLatin1(row.Title), Owner);
        bar->setObjectName(QString::fromLatin1(row.Name));
        bar->setFloatable(false);
        bar->setAllowedAreas(Qt::TopToolBarArea);
        bar->setIconSize(QSize(16, 16));
        bar->setMinimumHeight(26);
        // Shown and hidden only through the View toggles.
        bar->toggleViewAction()->setVisible(false);
        Fill(bar, *this, row.In);
        if (row.NewRow) Owner->addToolBarBreak();
        Owner->addToolBar(Qt::TopToolBarArea, bar);
        this->*row.Field = bar;
    }
    ToolBar_Menu->addWidget(MainMenu1);

    // Keeps the child-window buttons at the right end of their row.
    auto* spacer = new QWidget(ToolBar_MDI);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar_MDI->insertWidget(Action_Min, spacer);

    if (auto* open = qobject_cast<QToolButton*>(ToolBar_File->widgetForAction(Action_Open))) {
        open->setMenu(PopupMenu_HistoryFile);
        open->setPopupMode(QToolButton::MenuButtonPopup);
    }

    // The search box leads its bar.
    auto* bandText = new QLabel(QStringLiteral("Search"), ToolBar_Search);
    bandText->setObjectName(QStringLiteral("Label_Search"));
    bandText->setContentsMargins(4, 0, 4, 0);
    Edit_LexValue = new QLineEdit(ToolBar_Search);
    Edit_LexValue->setObjectName(QStringLiteral("Edit_LexValue"));
    Edit_LexValue->setFixedWidth(97);
    Edit_LexValue->setEnabled(false);
    ToolBar_Search->insertWidget(Action_Find, bandText);
    ToolBar_Search->insertWidget(Action_Find, Edit_LexValue);
    ToolBar_Search->insertSeparator(Action_Find);
}

QList<QAction*> TMainActions::ViewToggles() const {
    QList<QAction*> toggles;
    for (const auto& [group, action] : Placed(*this, MenuView))
        toggles << action;
    return toggles;
}

} // namespace lex
