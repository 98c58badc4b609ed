#include "formfiles/ui/FormDFM2Lex_U.h"

#include "editor/LexDocument.h"
#include "editor/view/DialogButtons.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "formfiles/FormExport.h"
#include "formfiles/FormImport.h"
#include "formfiles/ui/LanguageItems.h"
#include "platform/CodePageCatalog.h"
#include "runtime/qt/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace lex {
namespace {

constexpr int EntryRole = Qt::UserRole;

QString Lines(const std::vector<std::string>& Lines) {
    QStringList list;
    for (const std::string& line : Lines)
        list << QString::fromStdString(line);
    return list.join(u'\n');
}

// Skip names are form-text identifiers, which are ASCII: a line in any other
// script can match nothing, whatever bytes it becomes.
TFormSkipList SkipList(const QPlainTextEdit& Memo) {
    std::vector<std::string> names;
    for (const QString& line : Memo.toPlainText().split(u'\n')) {
        const QString name = line.trimmed();
        if (!name.isEmpty()) names.push_back(name.toStdString());
    }
    return TFormSkipList(names);
}

} // namespace

TFormDFM2Lex::TFormDFM2Lex(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("FormDFM2Lex"));
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(QStringLiteral("Import Data From DFM File"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3 = new QWidget(PageControl1);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Import"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Skip Ident"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Skip Classes"));

    Label1 = new QLabel(QStringLiteral("Borland Delphi DFM Files"), TabSheet1);
    Label1->setObjectName(QStringLiteral("Label1"));
    TreeView_File = new QTreeWidget(TabSheet1);
    TreeView_File->setObjectName(QStringLiteral("TreeView_File"));
    TreeView_File->setHeaderHidden(true);
    TreeView_File->setRootIsDecorated(false);
    TreeView_File->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Label1->setBuddy(TreeView_File);
    BitBtn1 = new QPushButton(QStringLiteral("Add File..."), TabSheet1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    BitBtn_Delete = new QPushButton(QStringLiteral("Delete"), TabSheet1);
    BitBtn_Delete->setObjectName(QStringLiteral("BitBtn_Delete"));
    BitBtn_Delete->setAutoDefault(false);
    BitBtn_Delete->setEnabled(false);

    GroupBox_Target = new QGroupBox(QStringLiteral("Import AS"), TabSheet1);
    GroupBox_Target->setObjectName(QStringLiteral("GroupBox_Target"));
    RadioButton_LexKey = new QRadioButton(QStringLiteral("LexKey"), GroupBox_Target);
    RadioButton_LexKey->setObjectName(QStringLiteral("RadioButton_LexKey"));
    RadioButton_LexKey->setChecked(true);
    RadioButton_DisplayValue =
        new QRadioButton(QStringLiteral("Language Display Value"), GroupBox_Target);
    RadioButton_DisplayValue->setObjectName(QStringLiteral("RadioButton_DisplayValue"));
    ComboBox_CodePage = new QComboBox(GroupBox_Target);
    ComboBox_CodePage->setObjectName(QStringLiteral("ComboBox_CodePage"));
    ComboBox_CodePage->setEditable(true);
    ComboBox_CodePage->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_CodePage->setEnabled(false);
    UseFixedPitch(*ComboBox_CodePage, font().pointSize());
    if (CodePageList)
        for (int i = 0; i < CodePageList->Count(); ++i)
            ComboBox_CodePage->addItem(ToQString(CodePageList->DisplayText(i)),
                                       QByteArray::fromStdString(CodePageList->Name(i)));
    ComboBox_CodePage->setCurrentIndex(-1);
    auto* target = new QGridLayout(GroupBox_Target);
    target->addWidget(RadioButton_LexKey, 0, 0, 1, 2);
    target->addWidget(RadioButton_DisplayValue, 1, 0);
    target->addWidget(ComboBox_CodePage, 1, 1);
    target->setColumnStretch(1, 1);

    GroupBox_DFM = new QGroupBox(QStringLiteral("DFM File"), TabSheet1);
    GroupBox_DFM->setObjectName(QStringLiteral("GroupBox_DFM"));
    Label2 = new QLabel(QStringLiteral("Now Language"), GroupBox_DFM);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox_Lang = new QComboBox(GroupBox_DFM);
    ComboBox_Lang->setObjectName(QStringLiteral("ComboBox_Lang"));
    UseFixedPitch(*ComboBox_Lang, font().pointSize());
    Label2->setBuddy(ComboBox_Lang);
    // Writing into another folder keeps the originals, so the export can be
    // tried out and thrown away.
    CheckBox_OutputDir = new QCheckBox(QStringLiteral("Write Into Folder:"), GroupBox_DFM);
    CheckBox_OutputDir->setObjectName(QStringLiteral("CheckBox_OutputDir"));
    Edit_OutputDir = new QLineEdit(GroupBox_DFM);
    Edit_OutputDir->setObjectName(QStringLiteral("Edit_OutputDir"));
    Edit_OutputDir->setEnabled(false);
    BitBtn_OutputDir = new QPushButton(QStringLiteral("Browse..."), GroupBox_DFM);
    BitBtn_OutputDir->setObjectName(QStringLiteral("BitBtn_OutputDir"));
    BitBtn_OutputDir->setAutoDefault(false);
    BitBtn_OutputDir->setEnabled(false);
    Label_Suggestion = new QLabel(
        QStringLiteral("Suggestion : Please Backup DFM Files before Exporting."), GroupBox_DFM);
    Label_Suggestion->setObjectName(QStringLiteral("Label_Suggestion"));
    Label_Suggestion->setFont(font());
    QPalette red = Label_Suggestion->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label_Suggestion->setPalette(red);
    auto* dfm = new QGridLayout(GroupBox_DFM);
    dfm->addWidget(Label2, 0, 0);
    dfm->addWidget(ComboBox_Lang, 0, 1, 1, 2);
    dfm->addWidget(CheckBox_OutputDir, 1, 0);
    dfm->addWidget(Edit_OutputDir, 1, 1);
    dfm->addWidget(BitBtn_OutputDir, 1, 2);
    dfm->addWidget(Label_Suggestion, 2, 0, 1, 3);
    dfm->setColumnStretch(1, 1);

    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(BitBtn1);
    fileButtons->addWidget(BitBtn_Delete);
    fileButtons->addStretch();
    auto* page = new QGridLayout(TabSheet1);
    page->addWidget(Label1, 0, 0);
    page->addWidget(TreeView_File, 1, 0);
    page->addLayout(fileButtons, 1, 1);
    // One place for both groups: a set-up shows one of them.
    page->addWidget(GroupBox_Target, 2, 0, 1, 2);
    page->addWidget(GroupBox_DFM, 2, 0, 1, 2);
    page->setRowStretch(1, 1);

    Memo_Ident = new QPlainTextEdit(TabSheet2);
    Memo_Ident->setObjectName(QStringLiteral("Memo_Ident"));
    Memo_Class = new QPlainTextEdit(TabSheet3);
    Memo_Class->setObjectName(QStringLiteral("Memo_Class"));
    const std::pair<QPlainTextEdit*, QWidget*> memos[] = {{Memo_Ident, TabSheet2},
                                                          {Memo_Class, TabSheet3}};
    for (const auto& [memo, sheet] : memos) {
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        (new QVBoxLayout(sheet))->addWidget(memo);
    }
    Memo_Ident->setPlainText(Lines(DefaultSkipIdents()));
    Memo_Class->setPlainText(Lines(DefaultSkipClasses()));

    const TDialogButtons buttons = LayOutDialog(*this, PageControl1, [this] {
        if (OnHelp) OnHelp(this, helpTopic_);
    });
    BitBtn_OK = buttons.OK;
    BitBtn_Cancel = buttons.Cancel;
    BitBtn_Help = buttons.Help;
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn_Delete, &QPushButton::clicked, this, [this] { BitBtn_DeleteClick(); });
    connect(TreeView_File, &QTreeWidget::itemSelectionChanged, this,
            [this] { TreeView_FileChange(); });
    for (QRadioButton* radio : {RadioButton_LexKey, RadioButton_DisplayValue})
        connect(radio, &QRadioButton::toggled, this, [this] { RadioButton_DisplayValueClick(); });
    for (QComboBox* box : {ComboBox_CodePage, ComboBox_Lang})
        connect(box, &QComboBox::currentTextChanged, this, [this] { UpdateOkButton(); });
    connect(CheckBox_OutputDir, &QCheckBox::toggled, this, [this] { CheckBox_OutputDirClick(); });
    connect(Edit_OutputDir, &QLineEdit::textChanged, this, [this] { UpdateOkButton(); });
    connect(BitBtn_OutputDir, &QPushButton::clicked, this, [this] { BitBtn_OutputDirClick(); });

    setFixedSize(QSize(480, 400).expandedTo(minimumSizeHint()));
}

void TFormDFM2Lex::SetUpForImport() {
    GroupBox_DFM->hide();
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), QStringLiteral("Import"));
    setWindowTitle(QStringLiteral("Import Data From DFM File..."));
    helpTopic_ = QStringLiteral("data#dfmimport");
    UpdateOkButton();
}

void TFormDFM2Lex::SetUpForExport(const TLexTree& Tree) {
    GroupBox_Target->hide();
    GroupBox_DFM->show();
    for (int i = 1; i < Tree.BandCount(); ++i)
        ComboBox_Lang->addItem(LanguageItemText(*Tree.Band(i)),
                               QVariant::fromValue(reinterpret_cast<quintptr>(Tree.Band(i))));
    // The user picks the language; OK waits for it.
    ComboBox_Lang->setCurrentIndex(-1);
    setWindowTitle(QStringLiteral("Export LexKey to DFM File..."));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), QStringLiteral("Export"));
    helpTopic_ = QStringLiteral("data#dfmexport");
    UpdateOkButton();
}

void TFormDFM2Lex::AddFiles(const QStringList& Paths) {
    QSet<QString> listed;
    for (int i = 0; i < TreeView_File->topLevelItemCount(); ++i)
        listed.insert(TreeView_File->topLevelItem(i)->text(0).toCaseFolded());
    for (const QString& path : Paths) {
        const QString shown = QDir::toNativeSeparators(path);
        if (listed.contains(shown.toCaseFolded())) continue;
        listed.insert(shown.toCaseFolded());
        new QTreeWidgetItem(TreeView_File, {shown});
    }
    UpdateOkButton();
}

std::vector<std::string> TFormDFM2Lex::Files() const {
    std::vector<std::string> files;
    files.reserve(TreeView_File->topLevelItemCount());
    for (int i = 0; i < TreeView_File->topLevelItemCount(); ++i)
        files.push_back(QFile::encodeName(TreeView_File->topLevelItem(i)->text(0)).toStdString());
    return files;
}

TFormSkipLists TFormDFM2Lex::SkipLists() const {
    return {SkipList(*Memo_Ident), SkipList(*Memo_Class)};
}

std::string TFormDFM2Lex::ImportCodePage() const {
    if (!RadioButton_DisplayValue->isChecked()) return {};
    const QString text = ComboBox_CodePage->currentText();
    const int entry = ComboBox_CodePage->findText(text, Qt::MatchExactly);
    if (entry >= 0)
        return ComboBox_CodePage->itemData(entry, EntryRole).toByteArray().toStdString();
    return FromQString(text.trimmed());
}

TLexBand* TFormDFM2Lex::ChosenBand() const {
    const int index = ComboBox_Lang->currentIndex();
    if (index < 0) return nullptr;
    return reinterpret_cast<TLexBand*>(ComboBox_Lang->itemData(index, EntryRole).value<quintptr>());
}

std::string TFormDFM2Lex::OutputDir() const {
    if (!CheckBox_OutputDir->isChecked()) return {};
    return QFile::encodeName(Edit_OutputDir->text().trimmed()).toStdString();
}

// "Visible" is each group's own state: the tab the user is on does not count.
void TFormDFM2Lex::UpdateOkButton() {
    const bool target = !GroupBox_Target->isHidden();
    const bool folder =
        !CheckBox_OutputDir->isChecked() || !Edit_OutputDir->text().trimmed().isEmpty();
    BitBtn_OK->setEnabled(
        TreeView_File->topLevelItemCount() > 0 &&
        ((target && RadioButton_LexKey->isChecked()) ||
         (target && RadioButton_DisplayValue->isChecked() &&
          !ComboBox_CodePage->currentText().isEmpty()) ||
         (!GroupBox_DFM->isHidden() && !ComboBox_Lang->currentText().isEmpty() && folder)));
}

void TFormDFM2Lex::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    BitBtn_Help->setEnabled(static_cast<bool>(OnHelp));
    UpdateOkButton();
}

void TFormDFM2Lex::RadioButton_DisplayValueClick() {
    ComboBox_CodePage->setEnabled(RadioButton_DisplayValue->isChecked());
    UpdateOkButton();
}

void TFormDFM2Lex::BitBtn1Click() {
    QFileDialog od(this);
    od.setObjectName(QStringLiteral("OD"));
    od.setAcceptMode(QFileDialog::AcceptOpen);
    od.setFileMode(QFileDialog::ExistingFiles);
    od.setNameFilters(
        {QStringLiteral("Borland Delphi DFM (*.dfm)"), QStringLiteral("All files (*)")});
    // Forms of one application lie together: start where the last one was.
    if (const int count = TreeView_File->topLevelItemCount(); count > 0)
        od.setDirectory(QFileInfo(TreeView_File->topLevelItem(count - 1)->text(0)).absolutePath());
    if (od.exec() == QDialog::Accepted) AddFiles(od.selectedFiles());
    UpdateOkButton();
}

void TFormDFM2Lex::BitBtn_DeleteClick() {
    const QList<QTreeWidgetItem*> selected = TreeView_File->selectedItems();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        delete *it;
    TreeView_FileChange();
    UpdateOkButton();
}

void TFormDFM2Lex::TreeView_FileChange() {
    BitBtn_Delete->setEnabled(!TreeView_File->selectedItems().isEmpty());
}

void TFormDFM2Lex::CheckBox_OutputDirClick() {
    Edit_OutputDir->setEnabled(CheckBox_OutputDir->isChecked());
    BitBtn_OutputDir->setEnabled(CheckBox_OutputDir->isChecked());
    UpdateOkButton();
}

void TFormDFM2Lex::BitBtn_OutputDirClick() {
    QFileDialog od(this);
    od.setObjectName(QStringLiteral("OD_Folder"));
    od.setFileMode(QFileDialog::Directory);
    od.setOption(QFileDialog::ShowDirsOnly);
    // Beside the forms, where a translated copy of them usually goes.
    const QString typed = Edit_OutputDir->text().trimmed();
    if (!typed.isEmpty())
        od.setDirectory(typed);
    else if (TreeView_File->topLevelItemCount() > 0)
        od.setDirectory(QFileInfo(TreeView_File->topLevelItem(0)->text(0)).absolutePath());
    if (od.exec() == QDialog::Accepted && !od.selectedFiles().isEmpty())
        Edit_OutputDir->setText(QDir::toNativeSeparators(od.selectedFiles().constFirst()));
}

void ImportFromFormFiles(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress,
                         const TShowHelp& ShowHelp) {
    Editor.PostEdit();
    TFormDFM2Lex dialog(Editor.window());
    dialog.OnHelp = ShowHelp;
    dialog.SetUpForImport();
    if (dialog.exec() != QDialog::Accepted) return;
    const TFormImportSettings settings{dialog.ImportCodePage(), dialog.SkipLists()};
    const std::vector<std::string> files = dialog.Files();
    TWaitCursor wait;
    ImportFormFiles(Editor.Document(), files, settings, OnProgress);
}

void ExportKeysToFormFiles(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress,
                           const TShowHelp& ShowHelp) {
    Editor.PostEdit();
    const TLexDocument& document = Editor.Document();
    TFormDFM2Lex dialog(Editor.window());
    dialog.OnHelp = ShowHelp;
    dialog.SetUpForExport(document.Tree());
    if (dialog.exec() != QDialog::Accepted) return;
    const TLexBand* band = dialog.ChosenBand();
    if (!band) return;
    TWaitCursor wait;
    ExportKeysToFormFiles(document, *band, dialog.Files(), dialog.SkipLists(), dialog.OutputDir(),
                          OnProgress);
}

} // namespace lex
