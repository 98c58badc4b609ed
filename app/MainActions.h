#pragma once

#include <QList>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QWidget;

namespace lex {

// The main window's one action list and the menus that show it. The window
// derives from this, so every action reads as a field of the window, as the
// names in the menus and toolbars do.
struct TMainActions {
    // File.
    QAction* Action_NewLex = nullptr;
    QAction* Action_Open = nullptr;
    QAction* Action_Import = nullptr;
    QAction* Action_Save = nullptr;
    QAction* Action_SaveAs = nullptr;
    QAction* Action_Export = nullptr;
    QAction* Action_ExportNode = nullptr;
    QAction* Action_Exit = nullptr;
    // Edit: work on whichever text box has the focus; Undo and Redo, when
    // none has, on the active editor's document.
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* EditUndo1 = nullptr;
    QAction* EditRedo1 = nullptr;
    QAction* Action_Replace = nullptr;
    // Search.
    QAction* Action_Find = nullptr;
    QAction* Action_FindPrior = nullptr;
    QAction* Action_FindNext = nullptr;
    QAction* Action_Locate = nullptr;
    QAction* Action_NextUntranslated = nullptr;
    QAction* Action_PriorUntranslated = nullptr;
    QAction* Action_UntranslatedOnly = nullptr;
    // View.
    QAction* Action_ViewMenu = nullptr;
    QAction* Action_ViewFile = nullptr;
    QAction* Action_ViewEdit = nullptr;
    QAction* Action_ViewDB = nullptr;
    QAction* Action_ViewSearch = nullptr;
    QAction* Action_ViewDFM = nullptr;
    // Database.
    QAction* Action_OpenDB = nullptr;
    QAction* Action_ImportDB = nullptr;
    QAction* Action_SaveDB = nullptr;
    // Data.
    QAction* Action_NewNode = nullptr;
    QAction* Action_NewSubNode = nullptr;
    QAction* Action_DeleteNode = nullptr;
    QAction* Action_GB = nullptr;
    QAction* Action_Big5 = nullptr;
    QAction* Action_NewLang = nullptr;
    QAction* Action_DeleteLang = nullptr;
    QAction* Action_NewSequence = nullptr;
    QAction* Action_DeleteSequence = nullptr;
    QAction* Action_DFM2Lex = nullptr;
    QAction* Action_Lex2DFM = nullptr;
    QAction* Action_GrabData = nullptr;
    QAction* Action_CheckLex = nullptr;
    // Option.
    QAction* Action_Font = nullptr;
    QAction* Action_EditorDialog = nullptr;
    QAction* Action_EditorSimple = nullptr;
    QAction* Action_EditorPanel = nullptr;
    QAction* Action_ShowEditorGrid = nullptr;
    QAction* Action_ImmediateEdit = nullptr;
    QAction* Action_CaseSensitive = nullptr;
    QAction* Action_ChinesePhrases = nullptr;
    QActionGroup* EditorStyleGroup = nullptr;
    // Child window.
    QAction* Action_Min = nullptr;
    QAction* Action_Restore = nullptr;
    QAction* Action_Close = nullptr;
    // Windows.
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowArrange1 = nullptr;
    QAction* WindowCascade1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    // Help.
    QAction* HelpContents1 = nullptr;
    QAction* HelpTopicSearch1 = nullptr;
    QAction* HelpOnHelp1 = nullptr;
    QAction* Action_About = nullptr;

    // A menu item in Qt is its action; these names are the items whose
    // captions the window rewrites.
    QAction*& Menu_Font = Action_Font;
    QAction*& Menu_DeleteLanguage = Action_DeleteLang;
    QAction*& Menu_NewSequence = Action_NewSequence;
    QAction*& Menu_DeleteSequence = Action_DeleteSequence;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* Menu_HistoryFile = nullptr;
    QMenu* Menu_Windows = nullptr;
    QMenu* PopupMenu_Lex = nullptr;
    QMenu* PopupMenu_ToolBar = nullptr;
    QMenu* PopupMenu_HistoryFile = nullptr;

    // Every action with its caption, shortcut, start state and hint, owned
    // by Owner, which also receives them so their shortcuts work while the
    // menu bar is hidden.
    void CreateActions(QWidget* Owner);
    // The menu bar and the three context menus, owned by Owner.
    void CreateMenus(QWidget* Owner);
    // The six View toggles, in the order of the View menu.
    QList<QAction*> ViewToggles() const;
};

} // namespace lex
