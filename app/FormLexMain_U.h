#pragma once

#include "app/CommandLine.h"
#include "app/MainActions.h"
#include "database/ui/FormOpenDB_U.h"
#include "editor/EditorStyle.h"
#include "runtime/LumoMultiLexReader.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QStatusBar;

namespace lex {

class TFormLexEditor;
class TLumoMultiScreenEye;
struct TLexBand;
struct TLexColumn;

// The main window: a multi-document frame whose children are lexicon
// editors. Every command is a row of TMainActions, run on the active editor
// or through a dialog; the enabled states follow the active editor on every
// idle turn of the event loop.
class TFormLexMain : public QMainWindow, public TMainActions {
    Q_OBJECT
    // The action table names the commands below.
    friend struct TMainActions;

public:
    // The command line is applied once, after the first show has opened the
    // start-up lexicon.
    explicit TFormLexMain(TCommandLine CommandLine = {}, QWidget* Parent = nullptr);
    ~TFormLexMain() override;

    // The only ways editor windows come into being. CreateEditor gives a
    // window without languages; NewLexicon one with 936, 950 and 1252.
    // Shows the window where the options left it, maximised as it was (a
    // first run: maximised, returning to a size that fits the screen).
    void ShowPlaced();

    TFormLexEditor* CreateEditor();
    TFormLexEditor* NewLexicon();
    // Loads into the active editor when it is a fresh empty window, else into
    // a new one.
    void OpenLexiconFile(const std::string& FileName);
    // To the editor's table, else its file, else under a name asked for.
    void SaveEditor(TFormLexEditor& Editor);
    void SaveEditorAs(TFormLexEditor& Editor);
    // Files others changed: Save asks before replacing one; coming back to
    // the window offers to reload unmodified lexicons.
    void SaveEditorTo(TFormLexEditor& Editor, const std::string& FileName);
    void CheckFilesOnDisk();
    // Asks before opening a file another running Lex Manager has open.
    bool MayOpenLocked(const std::string& FileName);
    // The progress callback of every long operation: moves the gauge and
    // paints it at once, since the event loop is blocked meanwhile.
    void ShowProgress(std::span<const std::string_view> Values, double Fraction, bool& Accept);
    TLexProgressEvent Progress();
    // An editor used a file: it joins the history list.
    void RememberFile(const std::string& FileName);
    void RebuildHistoryMenus();
    void UpdateFontCaption();
    // The idle turn: enabled states and the node counters.
    void ApplicationEvents1Idle();

    TFormLexEditor* ActiveEditor() const;
    QList<TFormLexEditor*> Editors() const;
    QMdiSubWindow* SubWindowOf(const TFormLexEditor& Editor) const;

    QMdiArea* MDIClient = nullptr;
    QStatusBar* StatusBar_Main = nullptr;
    std::array<QLabel*, 9> StatusPanels{};
    // After the nine: the figures of the language the untranslated commands
    // are about (translated / total), and what the last search step said.
    QLabel* Label_Translated = nullptr;
    QLabel* StatusPanel_Translated = nullptr;
    QLabel* StatusPanel_Search = nullptr;
    QProgressBar* Gauge_Load = nullptr;
    // Translates the tool's own windows from "Lex_GUI" as they become active.
    TLumoMultiScreenEye* LumoMultiScreenEye_Main = nullptr;

    // Where the Delete Language, New Sequence and Delete Sequence of the
    // editor's context menu work: what was under the mouse when it opened.
    TLexBand* FPopupBand = nullptr;
    TLexColumn* FPopupColumn = nullptr;

signals:
    // The command line has been applied (or failed) after the first show.
    void CommandLineApplied();

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateStatusBar();
    void FitStatusPanels();
    // Each action runs its row's command under Guard; the search box and
    // the context and Windows menus do their own work.
    void ConnectActions();
    void RunCommand(const TCommand& Command, QAction& Sender);
    void ApplyOptions();
    // Size, place, maximised state and bar layout into the options.
    void StorePlacement();
    void CreateScreenEye();
    void FormShow();
    void ApplyCommandLine(TFormLexEditor& Editor);
    void OpenInto(TFormLexEditor& Editor, const std::string& FileName);
    void ScheduleIdle();
    void SetToolBarVisible(QAction* Toggle, bool Visible);
    // Runs an action's work: an exception ends it with its message shown
    // (a silent abort shows nothing), and the window carries on.
    void Guard(const std::function<void()>& Work);
    void ShowError(const std::string& Message);
    // The editor an open loads into: the active one while it is a fresh
    // empty window, else a new one.
    TFormLexEditor& OpenTarget();
    // What the database dialogs and flows take from the application.
    TDBSource DBSource();

    // The commands of the action table, in its order.
    void Action_NewLexExecute();
    void Action_OpenExecute();
    void Action_ImportExecute();
    void Action_ExportExecute();
    void Action_ExportNodeExecute();
    void ExportActiveEditor(bool NodesOnly);
    void Action_ExitExecute();
    void StandardEditExecute(QAction& Action);
    void Action_ReplaceExecute(TFormLexEditor& Editor);
    void Action_FindExecute(TFormLexEditor& Editor);
    void Action_FindPriorExecute(TFormLexEditor& Editor);
    void Action_FindNextExecute(TFormLexEditor& Editor);
    void FindStep(TFormLexEditor& Editor, bool Forward);
    void Action_LocateExecute(TFormLexEditor& Editor);
    void Action_NextUntranslatedExecute(TFormLexEditor& Editor);
    void Action_PriorUntranslatedExecute(TFormLexEditor& Editor);
    void FindUntranslated(TFormLexEditor& Editor, bool Forward);
    void Action_UntranslatedOnlyExecute(TFormLexEditor& Editor);
    void Action_ViewExecute(QAction& Toggle);
    void Action_OpenDBExecute();
    void Action_ImportDBExecute(TFormLexEditor& Editor);
    void Action_SaveDBExecute(TFormLexEditor& Editor);
    void Action_NewNodeExecute(TFormLexEditor& Editor);
    void Action_NewSubNodeExecute(TFormLexEditor& Editor);
    void Action_DeleteNodeExecute(TFormLexEditor& Editor);
    void Action_GBExecute(TFormLexEditor& Editor);
    void Action_Big5Execute(TFormLexEditor& Editor);
    void ConvertChinese(TFormLexEditor& Editor, bool ToGB);
    void Action_NewLangExecute(TFormLexEditor& Editor);
    void Action_DeleteLangExecute(TFormLexEditor& Editor);
    void Action_NewSequenceExecute(TFormLexEditor& Editor);
    void Action_DeleteSequenceExecute(TFormLexEditor& Editor);
    void Action_DFM2LexExecute(TFormLexEditor& Editor);
    void Action_Lex2DFMExecute(TFormLexEditor& Editor);
    void Action_GrabDataExecute(TFormLexEditor& Editor);
    void Action_CheckLexExecute(TFormLexEditor& Editor);
    void Action_FontExecute();
    void Action_EditorDialogExecute();
    void Action_EditorSimpleExecute();
    void Action_EditorPanelExecute();
    void SetEditorStyle(TEditorStyle Style);
    void Action_ShowEditorGridExecute();
    void Action_ImmediateEditExecute();
    void Action_CaseSensitiveExecute();
    void Action_ChinesePhrasesExecute();
    void Action_MinExecute();
    void Action_RestoreExecute();
    void Action_CloseExecute();
    void WindowTileHorizontal1Execute();
    void WindowTileVertical1Execute();
    void WindowArrange1Execute();
    void WindowCascade1Execute();
    void WindowMinimizeAll1Execute();
    void HelpContents1Execute();
    void HelpTopicSearch1Execute();
    void HelpOnHelp1Execute();
    void Action_AboutExecute();

    // A search step's word in the status bar; none clears it.
    void ShowSearchStep(const char* Text);
    // The figures of the active editor's language column.
    void ShowTranslationCount(TFormLexEditor* Editor);
    // What the Edit commands can do on the focused text box, Undo and Redo
    // without one on the active editor's steps, which their captions name.
    TEditAbilities UpdateStandardEditActions();
    void PopupMenu_LexPopup();

    TCommandLine commandLine_;
    bool shown_ = false;
    bool idleScheduled_ = false;
    bool checkingFiles_ = false;
    bool clipboardHasText_ = false; // kept from the clipboard's signal: asking costs a round trip
    int windowMenuItems_ = 0;       // the Windows menu's own items, before the window list
};

} // namespace lex
