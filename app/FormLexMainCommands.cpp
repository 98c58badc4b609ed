#include "app/CheckPanel.h"
#include "app/EditorExport.h"
#include "app/FormAbout_U.h"
#include "app/FormCodePage_U.h"
#include "app/FormLexDM_U.h"
#include "app/FormLexMain_U.h"
#include "app/FormReplace_U.h"
#include "app/GuiText.h"
#include "app/HelpWindow.h"
#include "app/HistoryFiles.h"
#include "app/InterchangeFlows.h"
#include "app/LexFileDialog.h"
#include "app/LumoOption.h"
#include "app/MdiWindows.h"
#include "chinese/PhraseConverter.h"
#include "database/ui/DBFlows.h"
#include "editor/LexLoader.h"
#include "editor/LexSearch.h"
#include "editor/NodeListLexReader.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "formfiles/ui/FormDFM2Lex_U.h"
#include "formfiles/ui/FromGrabData_U.h"
#include "interchange/InterchangeFormats.h"
#include "platform/CodePageCatalog.h"
#include "platform/Exceptions.h"
#include "platform/LockFile.h"
#include "platform/MessageBox.h"
#include "runtime/LexFormats.h"
#include "runtime/qt/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

// The main window's work: the editor windows it makes, opens, saves and
// reports progress for, and the commands of its action table.
namespace lex {
namespace {

// A caption up to its first " - ", where a previous popup appended a name.
QString CaptionBeforeDash(const QString& Caption) {
    const qsizetype dash = Caption.indexOf(QLatin1String(" - "));
    return dash < 0 ? Caption : Caption.left(dash);
}

// The lexicon the grab takes its data from, chosen as Open chooses one.
bool ChooseGrabSource(QWidget* Owner, QString& FileName) {
    TLexOpenDialog& dialog = LexOpenDialog();
    dialog.FileName = FileName;
    if (!dialog.Execute(Owner)) return false;
    FileName = dialog.FileName;
    return true;
}

} // namespace

TFormLexEditor* TFormLexMain::CreateEditor() {
    TLexEditorOptions options;
    options.CaseSensitive = LumoOption->CaseSensitive;
    options.CodePage = LumoOption->CodePage;
    options.SeqNo = LumoOption->SeqNo;
    options.EditorStyle = LumoOption->EditorStyle;
    options.FontName = LumoOption->Font.Name;
    options.FontSize = LumoOption->Font.Size;

    std::vector<std::string> captions;
    for (TFormLexEditor* editor : Editors())
        captions.push_back(editor->Document().Caption());

    auto* editor = new TFormLexEditor(options);
    TLexDocument& doc = editor->Document();
    doc.SetUntitledCaption(NumberedCaption(doc.TranslateGUI("Lexicon"), captions));
    doc.SetMainWindow(this);
    doc.SetOnFileUsed([this](const std::string& FileName) { RememberFile(FileName); });
    // Called from the editor's close query, inside a Qt event handler: no
    // exception may leave it. A failed save leaves the editor modified, and
    // so open.
    editor->OnSaveEditor = [this](TFormLexEditor& Editor) { Guard([&] { SaveEditor(Editor); }); };
    editor->SetEditorFont(font());
    editor->SetShowGrid(LumoOption->ShowEditorGrid);
    editor->SetImmediateEdit(LumoOption->ImmediateEdit);
    // The width the user last gave a key column is every new editor's.
    editor->SetKeyColumnWidth(LumoOption->KeyColumnWidth);
    connect(editor, &TFormLexEditor::KeyColumnResized, this,
            [](int Width) { LumoOption->KeyColumnWidth = Width; });
    editor->SetPopupMenu(PopupMenu_Lex);
    editor->RefreshCaption();

    QMdiSubWindow* window = MDIClient->addSubWindow(editor);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showMaximized();
    MDIClient->setActiveSubWindow(window);
    ScheduleIdle();
    return editor;
}

TFormLexEditor* TFormLexMain::NewLexicon() {
    TFormLexEditor* editor = CreateEditor();
    editor->Document().AddDefaultLanguages();
    return editor;
}

TFormLexEditor& TFormLexMain::OpenTarget() {
    TFormLexEditor* target = ActiveEditor();
    if (!target || !target->Document().FileName().empty() || target->Document().Modified() ||
        target->Document().Tree().Count() > 0)
        target = CreateEditor();
    return *target;
}

void TFormLexMain::OpenLexiconFile(const std::string& FileName) {
    // A file already open goes to its window: a second editor of it would
    // let one save undo the other's.
    for (TFormLexEditor* editor : Editors()) {
        const std::string& open = editor->Document().FileName();
        std::error_code error;
        if (!open.empty() &&
            (open == FileName || std::filesystem::equivalent(open, FileName, error))) {
            MDIClient->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor->parentWidget()));
            return;
        }
    }
    if (!MayOpenLocked(FileName)) return;
    OpenInto(OpenTarget(), FileName);
}

bool TFormLexMain::MayOpenLocked(const std::string& FileName) {
    const std::optional<TLockOwner> owner = LockOwner(FileName);
    if (!owner) return true;
    const QString who =
        QStringLiteral("\"%1\" (%2@%3, %4)")
            .arg(QFile::decodeName(FileName.c_str()), QString::fromStdString(owner->User),
                 QString::fromStdString(owner->Host), QString::fromStdString(owner->Time));
    return GuiMessageBoxFmt(this, "%s is open in another Lex Manager. Open it anyway?", "Confirm",
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, who) == IDYES;
}

void TFormLexMain::OpenInto(TFormLexEditor& Editor, const std::string& FileName) {
    TWaitCursor wait;
    // The document takes the file's name before reading it; the title
    // follows on every way out, a failed load included.
    struct TitleFollows {
        TFormLexEditor& Editor;
        ~TitleFollows() { Editor.RefreshCaption(); }
    } title{Editor};
    OpenFile(Editor.Document(), FileName, Editor.AskOverwrite(), Progress());
}

void TFormLexMain::SaveEditor(TFormLexEditor& Editor) {
    Editor.PostEdit();
    TLexDocument& doc = Editor.Document();
    if (!doc.TableName().empty()) {
        SaveToTable(Editor, Progress());
        return;
    }
    if (doc.FileName().empty()) {
        SaveEditorAs(Editor);
        return;
    }
    SaveEditorTo(Editor, doc.FileName());
}

void TFormLexMain::SaveEditorTo(TFormLexEditor& Editor, const std::string& FileName) {
    TLexDocument& doc = Editor.Document();
    try {
        TWaitCursor wait;
        SaveAs(doc, FileName, Progress());
    } catch (const EFileChanged&) {
        // Nothing was written: the user decides what happens to the other
        // program's change before anything is.
        switch (doc.AskAboutChangedFile()) {
        case IDYES: {
            TWaitCursor wait;
            SaveAs(doc, FileName, Progress(), TOnDiskChange::Replace);
            break;
        }
        case IDNO:
            SaveEditorAs(Editor);
            return;
        default:
            return;
        }
    }
    Editor.RefreshCaption();
}

void TFormLexMain::CheckFilesOnDisk() {
    // The questions themselves deactivate and reactivate the window, and a
    // question in the middle of a command must not see a reload under it.
    if (checkingFiles_ || QApplication::activeModalWidget()) return;
    checkingFiles_ = true;
    for (TFormLexEditor* editor : Editors()) {
        Guard([&] { CheckFileOnDisk(editor->Document(), editor->AskOverwrite(), Progress()); });
        editor->RefreshCaption();
    }
    checkingFiles_ = false;
}

void TFormLexMain::SaveEditorAs(TFormLexEditor& Editor) {
    TLexDocument& doc = Editor.Document();
    TLexSaveDialog& dialog = LexSaveDialog();
    dialog.FileName = QFile::decodeName(doc.FileName().c_str());
    dialog.FilterIndex = LexFileTypeOf(LexFormatOf(doc.FileName()));
    // A bare name takes the type's extension, or the default format's when
    // the type has none.
    if (!dialog.Execute(this, DefaultExtForFileType(LexFileTypeOf(DefaultLexFormat())))) return;
    SaveEditorTo(Editor, QFile::encodeName(dialog.FileName).toStdString());
}

TDBSource TFormLexMain::DBSource() {
    if (!LexDM) throw Exception("The data module is not created");
    TDBSource source;
    source.ReadSettings = [] {
        LumoOption->LoadDBParams(nullptr);
        return LumoOption->DBSettings();
    };
    source.EditConnection = &LexDM->SQLConnection_Edit;
    source.ShowError = [this](QWidget*, const std::string& Message) { ShowError(Message); };
    source.ShowHelp = [](QWidget* Owner, const QString& Topic) { ShowHelp(Owner, Topic); };
    return source;
}

void TFormLexMain::ShowProgress(std::span<const std::string_view>, double Fraction, bool&) {
    if (!std::isfinite(Fraction)) return;
    const int position = static_cast<int>(std::clamp(std::lround(Fraction * 100.0), 0L, 100L));
    if (position == Gauge_Load->value()) return;
    Gauge_Load->setValue(position);
    // Painted now: the event loop is blocked until the operation ends.
    Gauge_Load->repaint();
}

TLexProgressEvent TFormLexMain::Progress() {
    return [this](std::span<const std::string_view> Values, double Fraction, bool& Accept) {
        ShowProgress(Values, Fraction, Accept);
    };
}

void TFormLexMain::RememberFile(const std::string& FileName) {
    RememberHistoryFile(LumoOption->HistoryFiles, FileName);
    RebuildHistoryMenus();
}

void TFormLexMain::RebuildHistoryMenus() {
    lex::RebuildHistoryMenus(
        LumoOption->HistoryFiles, {PopupMenu_HistoryFile, Menu_HistoryFile},
        [this](const std::string& FileName) { Guard([&] { OpenLexiconFile(FileName); }); });
    ScheduleIdle();
}

void TFormLexMain::SetToolBarVisible(QAction* Toggle, bool Visible) {
    const QList<QAction*> toggles = ViewToggles();
    QToolBar* const bars[] = {ToolBar_Menu, ToolBar_File,   ToolBar_Edit,
                              ToolBar_DB,   ToolBar_Search, ToolBar_DFM};
    bool* const options[] = {&LumoOption->ShowToolBarMenu,   &LumoOption->ShowToolBarFile,
                             &LumoOption->ShowToolBarEdit,   &LumoOption->ShowToolBarDB,
                             &LumoOption->ShowToolBarSearch, &LumoOption->ShowToolBarDFM};
    const qsizetype i = toggles.indexOf(Toggle);
    if (i < 0) return;
    bars[i]->setVisible(Visible);
    *options[i] = Visible;
}

void TFormLexMain::Action_NewLexExecute() {
    NewLexicon();
}

void TFormLexMain::Action_OpenExecute() {
    TLexOpenDialog& dialog = LexOpenDialog();
    dialog.FileName.clear();
    if (!dialog.Execute(this)) return;
    OpenLexiconFile(QFile::encodeName(dialog.FileName).toStdString());
}

void TFormLexMain::Action_ImportExecute() {
    TFormLexEditor* editor = ActiveEditor();
    if (!editor) return;
    editor->PostEdit();
    TLexOpenDialog& dialog = ExchangeOpenDialog();
    dialog.FileName.clear();
    if (!dialog.Execute(this)) return;
    const std::string fileName = QFile::encodeName(dialog.FileName).toStdString();
    if (InterchangeFormatOf(fileName)) {
        ImportTranslations(*editor, fileName, Progress(), this);
        return;
    }
    TWaitCursor wait;
    ImportFile(editor->Document(), fileName, editor->AskOverwrite(), Progress());
}

void TFormLexMain::Action_ExportExecute() {
    ExportActiveEditor(false);
}

void TFormLexMain::Action_ExportNodeExecute() {
    ExportActiveEditor(true);
}

void TFormLexMain::ExportActiveEditor(bool NodesOnly) {
    TFormLexEditor* editor = ActiveEditor();
    if (!editor) return;
    // Through the grid, which refuses a text the language cannot hold.
    editor->PostEdit();
    ExportToFile(*editor, NodesOnly, Progress(), this);
}

void TFormLexMain::Action_ExitExecute() {
    close();
}

// The search box holds Unicode: each language is searched in its own code
// page, so Chinese is found whatever the interface's code page.
void TFormLexMain::Action_FindExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    ShowSearchStep(nullptr);
    Find(Editor.Document(), Edit_LexValue->text().toStdU16String());
    if (Editor.Document().Hits().Nodes().empty()) {
        GuiMessageBoxFmt(this, "\"%s\" was not found.", "Find", MB_OK | MB_ICONINFORMATION,
                         Edit_LexValue->text());
        return;
    }
    // The hit's cell, not only its row: the grid takes the focus to show it.
    Editor.TreeView()->setFocus();
}

void TFormLexMain::Action_FindPriorExecute(TFormLexEditor& Editor) {
    FindStep(Editor, false);
}

void TFormLexMain::Action_FindNextExecute(TFormLexEditor& Editor) {
    FindStep(Editor, true);
}

void TFormLexMain::FindStep(TFormLexEditor& Editor, bool Forward) {
    Editor.PostEdit();
    TLexDocument& doc = Editor.Document();
    const bool wrapped = Forward ? FindNext(doc) : FindPrior(doc);
    ShowSearchStep(!wrapped  ? nullptr
                   : Forward ? "Passed the end; continued from the beginning."
                             : "Passed the beginning; continued from the end.");
    Editor.TreeView()->setFocus();
}

void TFormLexMain::Action_LocateExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    Locate(Editor.Document(), Edit_LexValue->text().toStdU16String());
}

namespace {

// A language column as the messages name it: "Western European (Windows) - 0".
QString ColumnName(const TLexColumn& Column) {
    return ToQString(Column.Band->Caption) + QStringLiteral(" - ") + ToQString(Column.Caption);
}

} // namespace

void TFormLexMain::Action_NextUntranslatedExecute(TFormLexEditor& Editor) {
    FindUntranslated(Editor, true);
}

void TFormLexMain::Action_PriorUntranslatedExecute(TFormLexEditor& Editor) {
    FindUntranslated(Editor, false);
}

void TFormLexMain::FindUntranslated(TFormLexEditor& Editor, bool Forward) {
    Editor.PostEdit();
    const TLexColumn* column = Editor.LanguageColumn();
    if (!column) return;
    switch (lex::FindUntranslated(Editor.Document(), *column, Forward)) {
    case TSearchResult::NotFound:
        ShowSearchStep(nullptr);
        GuiMessageBoxFmt(this, "Nothing is left to translate in %s.",
                         Forward ? "Next Untranslated" : "Previous Untranslated",
                         MB_OK | MB_ICONINFORMATION, ColumnName(*column));
        return;
    case TSearchResult::Wrapped:
        ShowSearchStep(Forward ? "Passed the end; continued from the beginning."
                               : "Passed the beginning; continued from the end.");
        break;
    case TSearchResult::Found:
        ShowSearchStep(nullptr);
        break;
    }
    // On the cell, ready for the translation to be typed.
    Editor.TreeView()->setFocus();
}

void TFormLexMain::Action_UntranslatedOnlyExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    Editor.SetUntranslatedFilter(Action_UntranslatedOnly->isChecked() ? Editor.LanguageColumn()
                                                                      : nullptr);
}

void TFormLexMain::Action_ReplaceExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    TLexDocument& doc = Editor.Document();
    const TLexTree& tree = doc.Tree();
    TLexBand* focused = tree.FocusedColumn() < tree.ColumnCount()
                            ? tree.Column(tree.FocusedColumn())->Band
                            : nullptr;
    if (focused && focused->Index() == 0) focused = nullptr; // keys are not replaced
    TFormReplace dialog(this);
    dialog.Edit_Find->setText(Edit_LexValue->text());
    if (focused) dialog.OfferLanguage(ToQString(focused->Caption));
    if (dialog.exec() != QDialog::Accepted) return;
    TReplaceRequest request{dialog.Edit_Find->text().toStdU16String(),
                            dialog.Edit_Replace->text().toStdU16String(),
                            {},
                            dialog.CheckBox_MatchCase->isChecked(),
                            dialog.CheckBox_WholeCell->isChecked()};
    if (focused && dialog.OneLanguage()) {
        request.Bands.push_back(focused);
    } else {
        for (int b = 1; b < tree.BandCount(); ++b)
            request.Bands.push_back(tree.Band(b));
    }
    const int count = [&] {
        const TWaitCursor wait;
        return ReplaceText(doc, request);
    }();
    if (count == 0)
        GuiMessageBoxFmt(this, "\"%s\" was not found.", "Replace", MB_OK | MB_ICONINFORMATION,
                         dialog.Edit_Find->text());
    else
        GuiMessageBoxFmt(this, "%s replacements made.", "Replace", MB_OK | MB_ICONINFORMATION,
                         QString::number(count));
}

void TFormLexMain::ShowSearchStep(const char* Text) {
    StatusPanel_Search->setText(Text ? TranslateGUIText(Text) : QString());
}

void TFormLexMain::ShowTranslationCount(TFormLexEditor* Editor) {
    const TLexColumn* column = Editor ? Editor->LanguageColumn() : nullptr;
    if (!column) {
        StatusPanel_Translated->clear();
        StatusPanel_Translated->setToolTip({});
        return;
    }
    const TTranslationCount count = Editor->Document().TranslationCount(*column);
    StatusPanel_Translated->setText(
        QStringLiteral("%1 / %2").arg(count.Translated).arg(count.Total));
    StatusPanel_Translated->setToolTip(ColumnName(*column));
}

void TFormLexMain::Action_ViewExecute(QAction& Toggle) {
    SetToolBarVisible(&Toggle, Toggle.isChecked());
}

void TFormLexMain::Action_OpenDBExecute() {
    OpenFromDB(
        DBSource(), this, [this]() -> TFormLexEditor& { return OpenTarget(); }, Progress());
}

void TFormLexMain::Action_ImportDBExecute(TFormLexEditor& Editor) {
    ImportFromDB(Editor, DBSource(), Progress());
}

void TFormLexMain::Action_SaveDBExecute(TFormLexEditor& Editor) {
    SaveToDB(Editor, DBSource(), Progress());
}

// The document ends an open edit itself too; the editor's commit first
// refuses, with its message, a text the column's code page cannot hold.
void TFormLexMain::Action_NewNodeExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    Editor.Document().NewNode();
}

void TFormLexMain::Action_NewSubNodeExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    Editor.Document().NewSubNode();
}

void TFormLexMain::Action_DeleteNodeExecute(TFormLexEditor& Editor) {
    Editor.PostEdit();
    TLexDocument& doc = Editor.Document();
    // A subtree or a selection of many goes only once the user knows how many.
    const int keys = doc.KeysToDelete();
    if (keys > 1 &&
        LexMessageBoxFmt(doc.Window(), "Delete %s keys?", "Confirm", MB_YESNO | MB_ICONQUESTION,
                         doc.Options().CodePage, {std::to_string(keys)}, {}, doc.Options().SeqNo,
                         GUILexName) != IDYES)
        return;
    doc.DeleteNodes();
}

void TFormLexMain::Action_GBExecute(TFormLexEditor& Editor) {
    ConvertChinese(Editor, true);
}

void TFormLexMain::Action_Big5Execute(TFormLexEditor& Editor) {
    ConvertChinese(Editor, false);
}

void TFormLexMain::ConvertChinese(TFormLexEditor& Editor, bool ToGB) {
    TLexDocument& doc = Editor.Document();
    if (!doc.Band936() || !doc.Band950()) return;
    TLexBand* source = ToGB ? doc.Band950() : doc.Band936();
    TLexBand* target = ToGB ? doc.Band936() : doc.Band950();
    TLexDocument::TChineseConvert convert;
    if (LumoOption->ChinesePhrases)
        convert = [](std::string_view Text, bool ToBig5) {
            return ToBig5 ? PhraseGbToBig5(Text) : PhraseBig5ToGb(Text);
        };
    TLexTree& tree = doc.Tree();
    const TLexDocument::TUndoScope step(doc, ToGB ? "Translate To GB" : "Translate To Big5");
    if (tree.SelectionCount() > 0) {
        for (int i = tree.SelectionCount() - 1; i >= 0; --i)
            doc.ConvertNodeChinese(tree.SelectedNode(i), source, target, convert);
    } else if (TTreeNode* focused = tree.FocusedNode()) {
        doc.ConvertNodeChinese(focused, source, target, convert);
    }
}

void TFormLexMain::Action_NewLangExecute(TFormLexEditor& Editor) {
    TLexDocument& doc = Editor.Document();
    // A band left without columns is offered again: choosing it gives the
    // band its sequence "0" back.
    std::vector<std::string> present;
    for (int i = 1; i < doc.Tree().BandCount(); ++i)
        if (doc.Tree().Band(i)->ColumnCount() > 0)
            present.push_back(TLexDocument::BandCodePage(*doc.Tree().Band(i)));
    TFormCodePage dialog(this);
    for (int i = 0; i < CodePageList->Count(); ++i) {
        if (std::find(present.begin(), present.end(), CodePageList->Name(i)) != present.end())
            continue;
        dialog.AddEntry(ToQString(CodePageList->DisplayText(i)), CodePageList->Node(i));
    }
    if (dialog.exec() != QDialog::Accepted) return;
    // A code page never gets a second band: one it has already is used.
    doc.AddLanguage(dialog.SelectedCodePage());
}

void TFormLexMain::PopupMenu_LexPopup() {
    FPopupBand = nullptr;
    FPopupColumn = nullptr;
    TFormLexEditor* editor = ActiveEditor();
    if (!editor) return;

    FPopupBand = editor->PopupBand();
    FPopupColumn = editor->PopupColumn();
    const bool onLanguage = FPopupBand && FPopupBand->Index() != 0;
    const bool onSequence = FPopupColumn && FPopupColumn->Index() != 0;
    for (const TActionRow& row : Rows()) {
        if (row.Enable == TEnableRule::PopupLanguage) (this->*row.Field)->setEnabled(onLanguage);
        if (row.Enable == TEnableRule::PopupSequence) (this->*row.Field)->setEnabled(onSequence);
    }

    QString caption = CaptionBeforeDash(Menu_DeleteLanguage->text());
    if (onLanguage) caption += QStringLiteral(" - ") + ToQString(FPopupBand->Caption);
    Menu_DeleteLanguage->setText(caption);
    caption = CaptionBeforeDash(Menu_DeleteSequence->text());
    if (onSequence)
        caption += QStringLiteral(" - ") + ToQString(FPopupColumn->Band->Caption) +
                   QStringLiteral(" - ") + ToQString(FPopupColumn->Caption);
    Menu_DeleteSequence->setText(caption);
}

void TFormLexMain::Action_DeleteLangExecute(TFormLexEditor& Editor) {
    if (!FPopupBand) return;
    TLexDocument& doc = Editor.Document();
    // The column under the pointer goes with its band.
    if (FPopupColumn && FPopupColumn->Band == FPopupBand) FPopupColumn = nullptr;
    for (int i = FPopupBand->ColumnCount() - 1; i >= 0; --i)
        doc.DeleteSequenceColumn(FPopupBand->Column(i));
    doc.DeleteLanguageBand(std::exchange(FPopupBand, nullptr));
}

void TFormLexMain::Action_NewSequenceExecute(TFormLexEditor& Editor) {
    if (!FPopupBand) return;
    TLexDocument& doc = Editor.Document();
    int number = 0;
    int position = 0;
    while (doc.FindSequenceColumn(FPopupBand, std::to_string(number), position))
        ++number;
    doc.AddSequenceColumn(FPopupBand, std::to_string(number));
    doc.SpreadBandColumns(FPopupBand);
}

void TFormLexMain::Action_DeleteSequenceExecute(TFormLexEditor& Editor) {
    if (!FPopupColumn) return;
    Editor.Document().DeleteSequenceColumn(std::exchange(FPopupColumn, nullptr));
}

void TFormLexMain::Action_DFM2LexExecute(TFormLexEditor& Editor) {
    ImportFromFormFiles(Editor, Progress(), ShowHelp);
}

void TFormLexMain::Action_Lex2DFMExecute(TFormLexEditor& Editor) {
    ExportKeysToFormFiles(Editor, Progress(), ShowHelp);
}

void TFormLexMain::Action_GrabDataExecute(TFormLexEditor& Editor) {
    GrabData(Editor, Progress(), DBSource(), ChooseGrabSource);
}

void TFormLexMain::Action_CheckLexExecute(TFormLexEditor& Editor) {
    CheckLexiconInto(*this, Editor);
}

void TFormLexMain::Action_EditorDialogExecute() {
    SetEditorStyle(TEditorStyle::Dialog);
}

void TFormLexMain::Action_EditorSimpleExecute() {
    SetEditorStyle(TEditorStyle::Simple);
}

void TFormLexMain::Action_EditorPanelExecute() {
    SetEditorStyle(TEditorStyle::Panel);
}

void TFormLexMain::SetEditorStyle(TEditorStyle Style) {
    LumoOption->EditorStyle = Style;
    for (TFormLexEditor* editor : Editors())
        editor->SetEditorStyle(Style);
}

void TFormLexMain::Action_ShowEditorGridExecute() {
    LumoOption->ShowEditorGrid = Action_ShowEditorGrid->isChecked();
    for (TFormLexEditor* editor : Editors())
        editor->SetShowGrid(LumoOption->ShowEditorGrid);
}

void TFormLexMain::Action_ImmediateEditExecute() {
    LumoOption->ImmediateEdit = Action_ImmediateEdit->isChecked();
    for (TFormLexEditor* editor : Editors())
        editor->SetImmediateEdit(LumoOption->ImmediateEdit);
}

void TFormLexMain::Action_CaseSensitiveExecute() {
    LumoOption->CaseSensitive = Action_CaseSensitive->isChecked();
}

void TFormLexMain::Action_ChinesePhrasesExecute() {
    LumoOption->ChinesePhrases = Action_ChinesePhrases->isChecked();
}

void TFormLexMain::Action_MinExecute() {
    if (QMdiSubWindow* window = MDIClient->currentSubWindow()) window->showMinimized();
}

void TFormLexMain::Action_RestoreExecute() {
    if (QMdiSubWindow* window = MDIClient->currentSubWindow()) window->showNormal();
}

void TFormLexMain::Action_CloseExecute() {
    if (QMdiSubWindow* window = MDIClient->currentSubWindow()) window->close();
}

void TFormLexMain::WindowTileHorizontal1Execute() {
    TileHorizontally(*MDIClient);
}

void TFormLexMain::WindowTileVertical1Execute() {
    TileVertically(*MDIClient);
}

void TFormLexMain::WindowArrange1Execute() {
    ArrangeIcons(*MDIClient);
}

void TFormLexMain::WindowCascade1Execute() {
    MDIClient->cascadeSubWindows();
}

void TFormLexMain::WindowMinimizeAll1Execute() {
    MinimizeAll(*MDIClient);
}

void TFormLexMain::HelpContents1Execute() {
    ShowHelp(this);
}

void TFormLexMain::HelpTopicSearch1Execute() {
    ShowHelp(this, QStringLiteral("topic search"));
}

void TFormLexMain::HelpOnHelp1Execute() {
    ShowHelp(this, QStringLiteral("help on help"));
}

void TFormLexMain::Action_AboutExecute() {
    TFormAbout about(this);
    about.exec();
}

} // namespace lex
