#include "app/FormLexMain_U.h"

#include "app/FormLexDM_U.h"
#include "app/Gauge.h"
#include "app/GuiText.h"
#include "app/IdleRules.h"
#include "app/LumoOption.h"
#include "app/MdiWindows.h"
#include "app/WindowPlacement.h"
#include "database/ui/DBFlows.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexTreeModel.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "runtime/qt/ComponentWalk.h"
#include "runtime/qt/LumoMultiScreen.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace lex {
namespace {

// The boxes whose own cut, copy, paste and undo the Edit menu drives.
bool IsTextBox(const QWidget* Widget) {
    return qobject_cast<const QLineEdit*>(Widget) || qobject_cast<const QTextEdit*>(Widget) ||
           qobject_cast<const QPlainTextEdit*>(Widget);
}

// The options' font; an empty name or a zero size keeps the toolkit's.
// Font names are kept in UTF-8, like every other name in the options file.
QFont OptionsFont() {
    return ToQFont(LumoOption->Font, QApplication::font());
}

// The font as the options keep it; a size given in pixels is the points it
// comes to on this screen.
TLexFont LexFontOf(const QFont& Font) {
    TLexFont font;
    font.Name = Font.family().toStdString();
    font.Size = Font.pointSize() > 0 ? Font.pointSize() : QFontInfo(Font).pointSize();
    const std::pair<bool, TFontStyle> bits[] = {{Font.bold(), fsBold},
                                                {Font.italic(), fsItalic},
                                                {Font.underline(), fsUnderline},
                                                {Font.strikeOut(), fsStrikeOut}};
    for (const auto& [set, bit] : bits)
        if (set) font.Style |= bit;
    return font;
}

std::string ApplicationTitle() {
    return LexDM ? LexDM->TranslateGUI("Lex Manager") : std::string("Lex Manager");
}

struct TStatusPanel {
    const char* Text;
    int Width;
    bool Bevel;
};
const TStatusPanel StatusPanelLayout[9] = {{"Total Nodes:", 65, false},
                                           {"0", 50, true},
                                           {"Sub Nodes:", 65, false},
                                           {"0", 50, true},
                                           {"Progress:", 60, false},
                                           {"", 200, true},
                                           {"", 50, true},
                                           {"", 10, true},
                                           {"", 50, true}};

// The settings of the tool's own translation: the interface lexicon, in
// sequence "0", fonts left alone. The font is the one the settings were made
// for; nothing applies it while ReplaceFont is off.
TMultiReplaceOption GUIReplaceOption(bool Walks) {
    TMultiReplaceOption option;
    option.LexName = std::string(GUILexName);
    option.SeqNo = "0";
    option.Font = {"MS Sans Serif", 8, 0};
    option.ReplaceSelf = option.ReplaceOwned = option.ReplaceSon = Walks;
    option.ReplaceFont = false;
    return option;
}

// Every window class of the tool, by its Qt class name, with what must keep
// its text: lists of code pages, tables and nodes, whose items are data, and
// the history popup, whose items are file names. The about box translates
// only its OK button; its other texts are product content it translates
// itself. TMessageForm is the class of the tool's message boxes. The classes
// without a window in this build keep their settings for when they have one.
void FillScreenEyeSettings(TLumoMultiScreenEye& Eye) {
    struct TFormRow {
        const char* ClassName;
        bool Walks;
        std::vector<std::string_view> ReplaceComs;
        std::vector<std::string_view> UnReplaceComs;
    };
    const TFormRow rows[] = {
        {"TFormLexMain", true, {}, {"PopupMenu_HistoryFile"}},
        {"TFormAbout", false, {"BitBtn_OK"}, {}},
        {"TFormCodePage", true, {}, {"CheckListBox_Lang"}},
        {"TFormExport", true, {}, {"CheckListBox_Language", "ListBox_Nodes"}},
        {"TFormOpenDB", true, {}, {"CheckListBox_Tables", "ComboBox_Connection"}},
        {"TFormDFM2Lex", true, {}, {}},
        {"TFormGrabData", true, {}, {}},
        {"TMessageForm", true, {}, {}},
    };
    // The editor windows have no settings: their texts are the user's data.
    Eye.ReplaceNotRegister = false;
    Eye.DefaultReplaceOption = GUIReplaceOption(true);
    for (const TFormRow& row : rows) {
        TMultiReplaceDatum& datum = Eye.ReplaceData.Add();
        datum.SetFormClassName(row.ClassName);
        TMultiReplaceForm& form = datum.ReplaceForms.Add();
        form.FormName = "Self";
        form.ReplaceOption = GUIReplaceOption(row.Walks);
        for (std::string_view name : row.UnReplaceComs)
            form.UnReplaceComs.Add(name);
        for (std::string_view name : row.ReplaceComs) {
            TMultiReplaceCom2& component = form.ReplaceComs.Add();
            component.ReplaceOption = GUIReplaceOption(true);
            component.SetComName(name);
        }
    }
}

bool ClipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

} // namespace

TFormLexMain::TFormLexMain(TCommandLine CommandLine, QWidget* Parent)
    : QMainWindow(Parent), commandLine_(std::move(CommandLine)) {
    setObjectName(QStringLiteral("FormLexMain"));
    setWindowTitle(QStringLiteral("Lex Manager"));
    MDIClient = new QMdiArea(this);
    MDIClient->setObjectName(QStringLiteral("MDIClient"));
    MDIClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MDIClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(MDIClient);

    CreateActions(this);
    CreateMenus(this);
    CreateToolBars(this);
    CreateStatusBar();
    ConnectActions();
    CreateScreenEye();
    ApplyOptions();

    clipboardHasText_ = ClipboardHasText();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        clipboardHasText_ = ClipboardHasText();
        ScheduleIdle();
    });
    connect(MDIClient, &QMdiArea::subWindowActivated, this, &TFormLexMain::ScheduleIdle);
    qApp->installEventFilter(this);
}

TFormLexMain::~TFormLexMain() {
    // Watching ends before the parts go: an activation during the teardown
    // must not reach this window's eye.
    delete LumoMultiScreenEye_Main;
    qApp->removeEventFilter(this);
    // The base destructors delete the children, whose last signals (an MDI
    // area activating no window, say) must not reach this half-destroyed
    // window's slots.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
}

void TFormLexMain::CreateStatusBar() {
    StatusBar_Main = new QStatusBar(this);
    StatusBar_Main->setObjectName(QStringLiteral("StatusBar_Main"));
    setStatusBar(StatusBar_Main);
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        const TStatusPanel& shape = StatusPanelLayout[i];
        auto* panel = new QLabel(QString::fromLatin1(shape.Text), StatusBar_Main);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        if (shape.Bevel)
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        else
            panel->setAlignment(Qt::AlignCenter);
        StatusBar_Main->addWidget(panel);
        StatusPanels[i] = panel;
    }
    // These take the room left and give it up first: the window stays as
    // narrow as the nine panels allow.
    const auto addLabel = [this](const char* Name, const char* Text, int Stretch) {
        auto* label = new QLabel(QString::fromLatin1(Text), StatusBar_Main);
        label->setObjectName(QString::fromLatin1(Name));
        label->setMinimumWidth(1);
        StatusBar_Main->addWidget(label, Stretch);
        return label;
    };
    Label_Translated = addLabel("Label_Translated", "Translated:", 0);
    StatusPanel_Translated = addLabel("StatusPanel_Translated", "", 0);
    StatusPanel_Translated->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel_Search = addLabel("StatusPanel_Search", "", 1);
    FitStatusPanels();
    // The gauge fills its panel inside a two-pixel margin.
    Gauge_Load = new TGauge(StatusPanels[5]);
    Gauge_Load->setObjectName(QStringLiteral("Gauge_Load"));
    auto* layout = new QHBoxLayout(StatusPanels[5]);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Gauge_Load);
}

void TFormLexMain::FitStatusPanels() {
    // The widths are those of the classic 8-point font; a larger font widens
    // a caption panel rather than cutting its text.
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        QLabel* panel = StatusPanels[i];
        const int text = panel->fontMetrics().horizontalAdvance(panel->text()) + 8;
        panel->setFixedWidth(StatusPanelLayout[i].Bevel
                                 ? StatusPanelLayout[i].Width
                                 : std::max(StatusPanelLayout[i].Width, text));
    }
}

void TFormLexMain::ConnectActions() {
    for (const TActionRow& row : Rows()) {
        QAction* action = this->*row.Field;
        connect(action, &QAction::triggered, this,
                [this, &row, action] { Guard([&] { RunCommand(row.Run, *action); }); });
    }
    connect(Edit_LexValue, &QLineEdit::returnPressed, this, [this] {
        ApplicationEvents1Idle();
        if (Action_Locate->isEnabled()) Action_Locate->trigger();
    });
    connect(PopupMenu_Lex, &QMenu::aboutToShow, this,
            [this] { Guard([this] { PopupMenu_LexPopup(); }); });
    connect(Menu_Windows, &QMenu::aboutToShow, this,
            [this] { FillWindowList(*Menu_Windows, windowMenuItems_, *MDIClient); });
    windowMenuItems_ = static_cast<int>(Menu_Windows->actions().size());
}

void TFormLexMain::RunCommand(const TCommand& Command, QAction& Sender) {
    if (Command.OnWindow)
        (this->*Command.OnWindow)();
    else if (Command.OnAction)
        (this->*Command.OnAction)(Sender);
    else if (TFormLexEditor* editor = ActiveEditor())
        (this->*Command.OnEditor)(*editor);
}

void TFormLexMain::CreateScreenEye() {
    LumoMultiScreenEye_Main = new TLumoMultiScreenEye(this);
    LumoMultiScreenEye_Main->setObjectName(QStringLiteral("LumoMultiScreenEye_Main"));
    FillScreenEyeSettings(*LumoMultiScreenEye_Main);
}

void TFormLexMain::ApplyOptions() {
    setFont(OptionsFont());
    // Options that name no font (a first run) now name the one in use, so
    // the options file says what the window shows.
    LumoOption->Font = LexFontOf(font());
    switch (LumoOption->EditorStyle) {
    case TEditorStyle::Dialog:
        Action_EditorDialog->setChecked(true);
        break;
    case TEditorStyle::Simple:
        Action_EditorSimple->setChecked(true);
        break;
    case TEditorStyle::Panel:
        Action_EditorPanel->setChecked(true);
        break;
    default:
        break;
    }
    Action_ShowEditorGrid->setChecked(LumoOption->ShowEditorGrid);
    Action_ImmediateEdit->setChecked(LumoOption->ImmediateEdit);
    Action_CaseSensitive->setChecked(LumoOption->CaseSensitive);
    Action_ChinesePhrases->setChecked(LumoOption->ChinesePhrases);
    const bool shown[] = {LumoOption->ShowToolBarMenu,   LumoOption->ShowToolBarFile,
                          LumoOption->ShowToolBarEdit,   LumoOption->ShowToolBarDB,
                          LumoOption->ShowToolBarSearch, LumoOption->ShowToolBarDFM};
    const QList<QAction*> toggles = ViewToggles();
    for (qsizetype i = 0; i < toggles.size(); ++i)
        toggles[i]->setChecked(shown[i]);

    // The bars where the user left them; whether each shows is its View
    // toggle's, at the first show. A layout that does not read is ignored.
    restoreState(QByteArray::fromBase64(QByteArray::fromStdString(LumoOption->ToolBarLayout)));

    const QString title = TranslateGUIText("Lex Manager");
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
    // Every window of the tool from here on is translated as it becomes
    // active; this one at once, with its menus, bars and status captions.
    LumoMultiScreenEye_Main->StartWatching();
    LumoMultiScreenEye_Main->SetCodePage(LumoOption->CodePage);
    LumoMultiScreenEye_Main->TranslateForm(this);
    // The caption panels fit their translated texts in the options' font.
    FitStatusPanels();
    UpdateFontCaption();
}

void TFormLexMain::ShowPlaced() {
    QList<QRect> available;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        available << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) available << screen->availableGeometry();
    const QRect saved(LumoOption->WindowLeft, LumoOption->WindowTop, LumoOption->WindowWidth,
                      LumoOption->WindowHeight);
    setGeometry(PlaceWindow(saved, available));
    if (LumoOption->WindowMaximized)
        showMaximized();
    else
        show();
}

void TFormLexMain::StorePlacement() {
    // A window never shown at its normal size has none: it keeps the last.
    if (const QRect normal = normalGeometry(); normal.isValid()) {
        LumoOption->WindowLeft = normal.x();
        LumoOption->WindowTop = normal.y();
        LumoOption->WindowWidth = normal.width();
        LumoOption->WindowHeight = normal.height();
    }
    LumoOption->WindowMaximized = isMaximized();
    LumoOption->ToolBarLayout = saveState().toBase64().toStdString();
}

void TFormLexMain::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (shown_) return;
    shown_ = true;
    Guard([this] { FormShow(); });
}

void TFormLexMain::FormShow() {
    for (QAction* toggle : ViewToggles())
        SetToolBarVisible(toggle, toggle->isChecked());
    RebuildHistoryMenus();
    TFormLexEditor* editor = NewLexicon();
    // After the window is on screen, so the gauge shows the load.
    QTimer::singleShot(0, this, [this, editor = QPointer<TFormLexEditor>(editor)] {
        Guard([this, editor] {
            if (editor) ApplyCommandLine(*editor);
        });
        emit CommandLineApplied();
    });
}

void TFormLexMain::ApplyCommandLine(TFormLexEditor& Editor) {
    switch (commandLine_.kind) {
    case TCommandLine::Kind::None:
        break;
    case TCommandLine::Kind::File:
        if (MayOpenLocked(commandLine_.name)) OpenInto(Editor, commandLine_.name);
        break;
    case TCommandLine::Kind::Table:
        OpenTableAtStart(Editor, LumoOption->DBSettings(), commandLine_.name, Progress());
        break;
    }
}

void TFormLexMain::changeEvent(QEvent* Event) {
    // Looked at when the user comes back rather than watched: another
    // program's save of a large lexicon is one change here, not a stream of
    // notifications, and network folders need no watcher support.
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, &TFormLexMain::CheckFilesOnDisk);
    QMainWindow::changeEvent(Event);
}

void TFormLexMain::closeEvent(QCloseEvent* Event) {
    // Every editor is asked before any closes: a cancel on one keeps the
    // program, and every editor, as it was.
    QList<QMdiSubWindow*> windows = MDIClient->subWindowList(QMdiArea::StackingOrder);
    std::reverse(windows.begin(), windows.end());
    for (QMdiSubWindow* window : windows) {
        auto* editor = qobject_cast<TFormLexEditor*>(window->widget());
        if (editor && !editor->QueryClose()) {
            Event->ignore();
            ScheduleIdle();
            return;
        }
    }
    for (QMdiSubWindow* window : windows) {
        if (auto* editor = qobject_cast<TFormLexEditor*>(window->widget())) editor->AcceptClose();
        window->close();
    }
    StorePlacement();
    Event->accept();
}

void TFormLexMain::contextMenuEvent(QContextMenuEvent* Event) {
    // The bar area, its toolbars and (so that hidden bars can come back when
    // every one is hidden) the status bar offer the View toggles.
    const QWidget* child = childAt(Event->pos());
    bool onBars = !child && Event->pos().y() < MDIClient->geometry().top();
    for (const QWidget* w = child; w && w != this && !onBars; w = w->parentWidget())
        onBars = qobject_cast<const QToolBar*>(w) || w == StatusBar_Main;
    if (!onBars) {
        Event->ignore();
        return;
    }
    PopupMenu_ToolBar->popup(Event->globalPos());
}

bool TFormLexMain::eventFilter(QObject* Watched, QEvent* Event) {
    // Qt has no idle signal: whatever the user does is followed by one idle
    // turn once the event queue is empty. Events the idle turn itself causes
    // (paints, action changes, timers) are not in this list, so it never
    // feeds itself.
    switch (Event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowStateChange:
    case QEvent::Drop:
    case QEvent::Close:
    case QEvent::InputMethod:
        ScheduleIdle();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(Watched, Event);
}

void TFormLexMain::ScheduleIdle() {
    if (idleScheduled_) return;
    idleScheduled_ = true;
    QTimer::singleShot(0, this, &TFormLexMain::ApplicationEvents1Idle);
}

void TFormLexMain::ApplicationEvents1Idle() {
    idleScheduled_ = false;
    TFormLexEditor* editor = ActiveEditor();
    const QMdiSubWindow* window = editor ? SubWindowOf(*editor) : nullptr;
    TIdleInput input;
    input.Editor = editor ? &editor->Document() : nullptr;
    input.EditorMaximized = window && window->isMaximized();
    input.SearchTextEmpty = Edit_LexValue->text().isEmpty();
    input.HistoryCount = static_cast<int>(Menu_HistoryFile->actions().size());
    input.WindowCount = static_cast<int>(MDIClient->subWindowList().size());
    input.Edit = UpdateStandardEditActions();
    const TIdleState state = ComputeIdleState(input);

    for (const TActionRow& row : Rows())
        if (IdleDecides(row.Enable)) (this->*row.Field)->setEnabled(state.Holds(row.Enable));
    Menu_HistoryFile->menuAction()->setEnabled(state.Holds(TEnableRule::History));
    Edit_LexValue->setEnabled(state.Holds(TEnableRule::Editor));
    Action_UntranslatedOnly->setChecked(editor && editor->Model()->UntranslatedFilter());
    ShowTranslationCount(editor);
    // Whatever changed an editor's modified flag, its frame shows it.
    for (TFormLexEditor* each : Editors())
        ShowModified(*SubWindowOf(*each), each->Document().Modified());
    StatusPanels[1]->setText(QString::fromStdString(state.TotalNodes));
    StatusPanels[3]->setText(QString::fromStdString(state.SubNodes));
}

TEditAbilities TFormLexMain::UpdateStandardEditActions() {
    TEditAbilities can;
    QWidget* focus = QApplication::focusWidget();
    if (const auto* line = qobject_cast<const QLineEdit*>(focus)) {
        const bool secret = line->echoMode() != QLineEdit::Normal;
        can.Copy = line->hasSelectedText() && !secret;
        can.Cut = can.Copy && !line->isReadOnly();
        can.Paste = !line->isReadOnly() && clipboardHasText_;
        can.Undo = line->isUndoAvailable();
        can.Redo = line->isRedoAvailable();
    } else if (const auto* text = qobject_cast<const QTextEdit*>(focus)) {
        can.Copy = text->textCursor().hasSelection();
        can.Cut = can.Copy && !text->isReadOnly();
        can.Paste = !text->isReadOnly() && clipboardHasText_;
        can.Undo = text->document()->isUndoAvailable();
        can.Redo = text->document()->isRedoAvailable();
    } else if (const auto* plain = qobject_cast<const QPlainTextEdit*>(focus)) {
        can.Copy = plain->textCursor().hasSelection();
        can.Cut = can.Copy && !plain->isReadOnly();
        can.Paste = !plain->isReadOnly() && clipboardHasText_;
        can.Undo = plain->document()->isUndoAvailable();
        can.Redo = plain->document()->isRedoAvailable();
    }
    // Without a text box in focus, Undo and Redo name the editor's steps.
    QString undoText = TranslateGUIText("&Undo");
    QString redoText = TranslateGUIText("&Redo");
    const QUndoStack* steps =
        IsTextBox(focus) || !ActiveEditor() ? nullptr : ActiveEditor()->UndoStack();
    if (steps) {
        can.Undo = steps->canUndo();
        can.Redo = steps->canRedo();
        if (can.Undo) undoText += QLatin1Char(' ') + steps->undoText();
        if (can.Redo) redoText += QLatin1Char(' ') + steps->redoText();
    }
    EditUndo1->setText(undoText);
    EditRedo1->setText(redoText);
    return can;
}

void TFormLexMain::StandardEditExecute(QAction& Action) {
    QWidget* focus = QApplication::focusWidget();
    const auto apply = [&Action, this](auto* Box) {
        if (&Action == EditCut1)
            Box->cut();
        else if (&Action == EditCopy1)
            Box->copy();
        else if (&Action == EditPaste1)
            Box->paste();
        else if (&Action == EditUndo1)
            Box->undo();
        else if (&Action == EditRedo1)
            Box->redo();
    };
    if (!IsTextBox(focus) && (&Action == EditUndo1 || &Action == EditRedo1)) {
        if (TFormLexEditor* editor = ActiveEditor()) {
            editor->PostEdit(); // an edit open in the grid without focus ends first
            // The step may take the language or sequence the menu was opened on.
            FPopupBand = nullptr;
            FPopupColumn = nullptr;
            if (&Action == EditUndo1)
                editor->UndoStack()->undo();
            else
                editor->UndoStack()->redo();
        }
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(focus))
        apply(line);
    else if (auto* text = qobject_cast<QTextEdit*>(focus))
        apply(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        apply(plain);
}

void TFormLexMain::Guard(const std::function<void()>& Work) {
    try {
        Work();
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("Unknown error");
    }
    ScheduleIdle();
}

void TFormLexMain::ShowError(const std::string& Message) {
    // A failure's message names files by their bytes in the file system, and
    // reads right only decoded as such.
    ShowMessageBox(this, MessageBoxBytes(FileNameText(Message)), ApplicationTitle(),
                   MB_OK | MB_ICONERROR);
}

TFormLexEditor* TFormLexMain::ActiveEditor() const {
    // The current child stays current while a dialog has the focus, as the
    // active child of the frame does.
    const QMdiSubWindow* window = MDIClient->currentSubWindow();
    return window ? qobject_cast<TFormLexEditor*>(window->widget()) : nullptr;
}

QList<TFormLexEditor*> TFormLexMain::Editors() const {
    QList<TFormLexEditor*> editors;
    for (const QMdiSubWindow* window : MDIClient->subWindowList())
        if (auto* editor = qobject_cast<TFormLexEditor*>(window->widget())) editors << editor;
    return editors;
}

QMdiSubWindow* TFormLexMain::SubWindowOf(const TFormLexEditor& Editor) const {
    return qobject_cast<QMdiSubWindow*>(Editor.parentWidget());
}

void TFormLexMain::UpdateFontCaption() {
    const QFont& current = font();
    Menu_Font->setText(TranslateGUIText("&Font") + QStringLiteral("    (") + current.family() +
                       QStringLiteral(" - ") + QString::number(current.pointSize()) +
                       QStringLiteral(")"));
}

void TFormLexMain::Action_FontExecute() {
    bool accepted = false;
    const QFont chosen = QFontDialog::getFont(&accepted, font(), this);
    if (!accepted) return;
    LumoOption->Font = LexFontOf(chosen);
    setFont(chosen);
    FitStatusPanels();
    for (TFormLexEditor* editor : Editors())
        editor->SetEditorFont(chosen);
    UpdateFontCaption();
}

} // namespace lex
