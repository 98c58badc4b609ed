#include "app/MainActions.h"

#include "app/MainIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace lex {
namespace {

enum Start : unsigned { D = 0, E = 1, C = 2, EC = E | C };

struct TActionRow {
    QAction* TMainActions::*Field;
    const char* Name;
    const char* Caption;
    const char* Shortcut; // portable text, empty for none
    unsigned StartState;
    const char* Hint = nullptr; // the caption without its accelerator mark when none
    bool Checkable = false;
};

// clang-format off
const TActionRow ActionRows[] = {
    {&TMainActions::Action_NewLex, "Action_NewLex", "&New Dictionary", "Ctrl+N", E},
    {&TMainActions::Action_Open, "Action_Open", "&Open From File...", "Ctrl+O", E},
    {&TMainActions::Action_Import, "Action_Import", "&Import From File...", "", D},
    {&TMainActions::Action_Save, "Action_Save", "&Save", "Ctrl+S", D},
    {&TMainActions::Action_SaveAs, "Action_SaveAs", "Save To File &As...", "Ctrl+Shift+S", D},
    {&TMainActions::Action_Export, "Action_Export", "&Export To File...", "", D},
    {&TMainActions::Action_ExportNode, "Action_ExportNode", "Export Nodes &To File...", "", D},
    {&TMainActions::Action_Exit, "Action_Exit", "E&xit", "Ctrl+Q", E},

    {&TMainActions::EditCut1, "EditCut1", "Cu&t", "Ctrl+X", D, "Cu&t"},
    {&TMainActions::EditCopy1, "EditCopy1", "&Copy", "Ctrl+C", D, "&Copy"},
    {&TMainActions::EditPaste1, "EditPaste1", "&Paste", "Ctrl+V", D, "&Paste"},
    {&TMainActions::EditUndo1, "EditUndo1", "&Undo", "Ctrl+Z", D, "&Undo"},
    {&TMainActions::EditRedo1, "EditRedo1", "&Redo", "Ctrl+Shift+Z", D, "&Redo"},
    {&TMainActions::Action_Replace, "Action_Replace", "R&eplace...", "Ctrl+H", D},

    {&TMainActions::Action_Find, "Action_Find", "&Find", "Ctrl+F", D},
    {&TMainActions::Action_FindPrior, "Action_FindPrior", "Find &Prior", "", D},
    {&TMainActions::Action_FindNext, "Action_FindNext", "Find &Next", "F3", D},
    {&TMainActions::Action_Locate, "Action_Locate", "&Locate", "Ctrl+L", D},
    {&TMainActions::Action_NextUntranslated, "Action_NextUntranslated", "Next &Untranslated", "Ctrl+J", D},
    {&TMainActions::Action_PriorUntranslated, "Action_PriorUntranslated", "Previous Un&translated", "Ctrl+Shift+J", D},
    {&TMainActions::Action_UntranslatedOnly, "Action_UntranslatedOnly", "Untranslated &Only", "", D, nullptr, true},

    {&TMainActions::Action_ViewMenu, "Action_ViewMenu", "ToolBar &Menu", "", EC, nullptr, true},
    {&TMainActions::Action_ViewFile, "Action_ViewFile", "ToolBar &File", "", EC, nullptr, true},
    {&TMainActions::Action_ViewEdit, "Action_ViewEdit", "ToolBar &Edit", "", EC, nullptr, true},
    {&TMainActions::Action_ViewDB, "Action_ViewDB", "ToolBar Data&Base", "", EC, nullptr, true},
    {&TMainActions::Action_ViewSearch, "Action_ViewSearch", "ToolBar &Search", "", EC, nullptr, true},
    {&TMainActions::Action_ViewDFM, "Action_ViewDFM", "ToolBar &DFM", "", EC, nullptr, true},

    {&TMainActions::Action_OpenDB, "Action_OpenDB", "&Open From DB...", "", E},
    {&TMainActions::Action_ImportDB, "Action_ImportDB", "&Import From DB...", "", D},
    {&TMainActions::Action_SaveDB, "Action_SaveDB", "&Save To DB...", "", D},

    {&TMainActions::Action_NewNode, "Action_NewNode", "&New Node", "F5", D},
    {&TMainActions::Action_NewSubNode, "Action_NewSubNode", "New &Sub Node", "Ctrl+F5", D},
    {&TMainActions::Action_DeleteNode, "Action_DeleteNode", "&Delete Node", "Ctrl+Del", D},
    {&TMainActions::Action_GB, "Action_GB", "Translate To &GB", "", D},
    {&TMainActions::Action_Big5, "Action_Big5", "Translate To &Big5", "", D},
    {&TMainActions::Action_NewLang, "Action_NewLang", "&Add New Language...", "", D},
    {&TMainActions::Action_DeleteLang, "Action_DeleteLang", "Delete &Language", "", D},
    {&TMainActions::Action_NewSequence, "Action_NewSequence", "Ne&w Sequence", "", D},
    {&TMainActions::Action_DeleteSequence, "Action_DeleteSequence", "Delete Se&quence", "", D},
    {&TMainActions::Action_DFM2Lex, "Action_DFM2Lex", "&Import Data From DFM File...", "", D,
     "Import Data From DFM File"},
    {&TMainActions::Action_Lex2DFM, "Action_Lex2DFM", "&Export LexKey to DFM File...", "", D,
     "Export LexKey to DFM File"},
    {&TMainActions::Action_GrabData, "Action_GrabData", "G&rab Data From Dictionary...", "", D,
     "Grab Data From Dictionary"},
    {&TMainActions::Action_CheckLex, "Action_CheckLex", "&Check Lexicon", "", D},

    {&TMainActions::Action_Font, "Action_Font", "&Font", "", E},
    {&TMainActions::Action_EditorDialog, "Action_EditorDialog", "Editor &Dialog", "", E, nullptr, true},
    {&TMainActions::Action_EditorSimple, "Action_EditorSimple", "Editor &Simple", "", EC, nullptr, true},
    {&TMainActions::Action_EditorPanel, "Action_EditorPanel", "Editor &Panel", "", E, nullptr, true},
    {&TMainActions::Action_ShowEditorGrid, "Action_ShowEditorGrid", "Show Editor &Grid", "", EC, nullptr, true},
    {&TMainActions::Action_ImmediateEdit, "Action_ImmediateEdit", "&Immediate Edit", "", EC, nullptr, true},
    {&TMainActions::Action_CaseSensitive, "Action_CaseSensitive", "&CaseSensitive", "", D, nullptr, true},
    {&TMainActions::Action_ChinesePhrases, "Action_ChinesePhrases", "C&onvert Chinese by phrases", "", EC, nullptr, true},

    {&TMainActions::Action_Min, "Action_Min", "Minimize", "", D},
    {&TMainActions::Action_Restore, "Action_Restore", "Restore", "", D},
    {&TMainActions::Action_Close, "Action_Close", "Close", "", D},

    {&TMainActions::WindowTileHorizontal1, "WindowTileHorizontal1", "Tile &Horizontally", "", D,
     "Tile Horizontal"},
    {&TMainActions::WindowTileVertical1, "WindowTileVertical1", "&Tile Vertically", "", D,
     "Tile Vertical"},
    {&TMainActions::WindowArrange1, "WindowArrange1", "&Arrange", "", D, ""},
    {&TMainActions::WindowCascade1, "WindowCascade1", "&Cascade", "", D, "Cascade"},
    {&TMainActions::WindowMinimizeAll1, "WindowMinimizeAll1", "&Minimize All", "", D,
     "Minimize All"},

    {&TMainActions::HelpContents1, "HelpContents1", "&Contents", "F1", E, "Help Contents"},
    {&TMainActions::HelpTopicSearch1, "HelpTopicSearch1", "&Topic Search", "", E, "Topic Search"},
    {&TMainActions::HelpOnHelp1, "HelpOnHelp1", "&Help on Help", "", E, "Help on help"},
    {&TMainActions::Action_About, "Action_About", "&About...", "", E},
};
// clang-format on

QMenu* AddMenu(QMenuBar* Bar, const char* Name, const char* Caption, const char* Hint,
               const QList<QAction*>& Items) {
    QMenu* menu = Bar->addMenu(QString::fromLatin1(Caption));
    menu->setObjectName(QString::fromLatin1(Name));
    menu->menuAction()->setToolTip(QString::fromLatin1(Hint));
    for (QAction* item : Items) {
        if (item)
            menu->addAction(item);
        else
            menu->addSeparator();
    }
    return menu;
}

QMenu* PopupMenu(QWidget* Owner, const char* Name, const QList<QAction*>& Items) {
    auto* menu = new QMenu(Owner);
    menu->setObjectName(QString::fromLatin1(Name));
    for (QAction* item : Items) {
        if (item)
            menu->addAction(item);
        else
            menu->addSeparator();
    }
    return menu;
}

} // namespace

void TMainActions::CreateActions(QWidget* Owner) {
    for (const TActionRow& row : ActionRows) {
        auto* action = new QAction(QString::fromLatin1(row.Caption), Owner);
        action->setObjectName(QString::fromLatin1(row.Name));
        // The hint names the command; the mark only serves the menus.
        action->setToolTip(row.Hint ? QString::fromLatin1(row.Hint)
                                    : QString::fromLatin1(row.Caption).remove(u'&'));
        if (*row.Shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(row.Shortcut)));
        action->setEnabled(row.StartState & E);
        action->setCheckable(row.Checkable);
        action->setChecked(row.StartState & C);
        action->setIcon(MainActionIcon(row.Name));
        // Checked states show in the menus; an icon there would hide them.
        action->setIconVisibleInMenu(!row.Checkable);
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

    QMenu* file = AddMenu(MainMenu1, "Menu_File", "&File", "File",
                          {Action_NewLex, Action_Open, Action_Import, nullptr, Action_Save,
                           Action_SaveAs, nullptr, Action_Export, Action_ExportNode, nullptr});
    file->addMenu(Menu_HistoryFile);
    file->addSeparator();
    file->addAction(Action_Exit);
    AddMenu(
        MainMenu1, "Menu_Edit", "&Edit", "Edit",
        {EditUndo1, EditRedo1, nullptr, EditCut1, EditCopy1, EditPaste1, nullptr, Action_Replace});
    AddMenu(MainMenu1, "Menu_Search", "&Search", "",
            {Action_Find, Action_FindPrior, Action_FindNext, nullptr, Action_Locate, nullptr,
             Action_NextUntranslated, Action_PriorUntranslated, Action_UntranslatedOnly});
    AddMenu(MainMenu1, "Menu_View", "&View", "", ViewToggles());
    AddMenu(MainMenu1, "Menu_DataBase", "Data&Base", "",
            {Action_OpenDB, Action_ImportDB, nullptr, Action_SaveDB});
    AddMenu(MainMenu1, "Menu_Data", "&Data", "",
            {Action_NewNode, Action_NewSubNode, Action_DeleteNode, nullptr, Action_GB, Action_Big5,
             nullptr, Action_NewLang, nullptr, Action_DFM2Lex, Action_Lex2DFM, Action_GrabData,
             nullptr, Action_CheckLex});
    AddMenu(MainMenu1, "Menu_Option", "&Option", "",
            {Action_Font, nullptr, Action_EditorDialog, Action_EditorSimple, Action_EditorPanel,
             nullptr, Action_ShowEditorGrid, Action_ImmediateEdit, nullptr, Action_CaseSensitive,
             Action_ChinesePhrases});
    // The list of editor windows follows these items; the window fills it in
    // each time the menu opens.
    Menu_Windows = AddMenu(MainMenu1, "Menu_Windows", "&Windows", "",
                           {WindowTileHorizontal1, WindowTileVertical1, WindowArrange1,
                            WindowCascade1, WindowMinimizeAll1});
    AddMenu(MainMenu1, "Menu_Help", "&Help", "",
            {HelpContents1, HelpTopicSearch1, HelpOnHelp1, nullptr, Action_About});

    PopupMenu_Lex =
        PopupMenu(Owner, "PopupMenu_Lex",
                  {Action_NewNode, Action_NewSubNode, Action_DeleteNode, nullptr, Action_NewLang,
                   Menu_DeleteLanguage, nullptr, Menu_NewSequence, Menu_DeleteSequence, nullptr,
                   Action_ExportNode, nullptr, Action_DFM2Lex, Action_Lex2DFM, Action_GrabData});
    PopupMenu_ToolBar = PopupMenu(Owner, "PopupMenu_ToolBar", ViewToggles());
    PopupMenu_HistoryFile = PopupMenu(Owner, "PopupMenu_HistoryFile", {});
}

QList<QAction*> TMainActions::ViewToggles() const {
    return {Action_ViewMenu, Action_ViewFile,   Action_ViewEdit,
            Action_ViewDB,   Action_ViewSearch, Action_ViewDFM};
}

} // namespace lex
