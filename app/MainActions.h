#pragma once

#include "app/IdleRules.h"
#include "app/MainIcons.h"

#include <QList>
#include <span>

class QAction;
class QActionGroup;
class QLineEdit;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace lex {

class TFormLexEditor;
class TFormLexMain;

// Where a command shows: a menu, a context menu or a toolbar.
enum class TShownIn : unsigned char {
    Nowhere,
    MenuFile,
    MenuEdit,
    MenuSearch,
    MenuView,
    MenuDataBase,
    MenuData,
    MenuOption,
    MenuWindows,
    MenuHelp,
    PopupLex,
    PopupToolBar,
    BarMDI,
    BarFile,
    BarEdit,
    BarSearch,
    BarDB,
    BarDFM,
};

// A command's place in one menu or bar: its group there, separators between
// the groups; in a group the commands follow the order of the rows.
struct TPlace {
    TShownIn In = TShownIn::Nowhere;
    int Group = 0;
};

// A plain command, or a check item unchecked or checked at the start.
enum class TCheck : unsigned char { Plain, Check, Checked };

// What a command runs, on the window: one of its own, one on the active
// editor (nothing happens without one), or one shared by several rows, which
// is given the action that triggered it. A row names the handler alone.
struct TCommand {
    using TWindowCommand = void (TFormLexMain::*)();
    using TEditorCommand = void (TFormLexMain::*)(TFormLexEditor&);
    using TActionCommand = void (TFormLexMain::*)(QAction&);
    constexpr TCommand(TWindowCommand Run) : OnWindow(Run) {}
    constexpr TCommand(TEditorCommand Run) : OnEditor(Run) {}
    constexpr TCommand(TActionCommand Run) : OnAction(Run) {}
    TWindowCommand OnWindow = nullptr;
    TEditorCommand OnEditor = nullptr;
    TActionCommand OnAction = nullptr;
};

struct TMainActions;

// One command of the main window: everything about it but the code of its
// handler.
struct TActionRow {
    QAction* TMainActions::*Field;
    const char* Name;
    const char* Caption;
    const char* Shortcut; // portable text, empty for none
    TEnableRule Enable;
    TCommand Run;
    TIconSpec Icon;
    TPlace Places[3];
    TCheck Check = TCheck::Plain;
    const char* Hint = nullptr; // the caption without its accelerator mark when none
};

// The main window's one action list and the menus and bars that show it. The
// window derives from this, so every action reads as a field of the window,
// as the names in the menus and toolbars do.
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

    QToolBar* ToolBar_Menu = nullptr;
    QToolBar* ToolBar_MDI = nullptr;
    QToolBar* ToolBar_File = nullptr;
    QToolBar* ToolBar_Edit = nullptr;
    QToolBar* ToolBar_Search = nullptr;
    QToolBar* ToolBar_DB = nullptr;
    QToolBar* ToolBar_DFM = nullptr;
    QLineEdit* Edit_LexValue = nullptr; // the search box, on the Search bar

    // Every command, in the order of the menus.
    static std::span<const TActionRow> Rows();

    // Every action with its caption, shortcut, start state, hint and icon,
    // owned by Owner, which also receives them so their shortcuts work while
    // the menu bar is hidden.
    void CreateActions(QWidget* Owner);
    // The menu bar and the three context menus, owned by Owner.
    void CreateMenus(QWidget* Owner);
    // The bars in their three rows: the menu bar with the child-window
    // buttons, File and Edit, Search (behind the search box), DataBase and DFM.
    void CreateToolBars(QMainWindow* Owner);
    // The six View toggles, in the order of the View menu.
    QList<QAction*> ViewToggles() const;

private:
    static const TActionRow ActionRows[];
};

} // namespace lex
