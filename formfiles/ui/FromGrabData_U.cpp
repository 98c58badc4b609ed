#include "formfiles/ui/FromGrabData_U.h"

#include "database/ui/DBFlows.h"
#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "editor/view/DialogButtons.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "formfiles/LexGrab.h"
#include "formfiles/ui/LanguageItems.h"
#include "runtime/LumoMultiDBLexReader.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/qt/QtText.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <string>

namespace lex {
namespace {

constexpr int BandRole = Qt::UserRole;

QToolButton* EllipsisButton(const char* Name, QWidget* Parent) {
    auto* button = new QToolButton(Parent);
    button->setObjectName(QString::fromLatin1(Name));
    button->setText(QStringLiteral("..."));
    return button;
}

} // namespace

TFormGrabData::TFormGrabData(const TDBSource& Source, TChooseLexiconFile ChooseFile,
                             QWidget* Parent)
    : QDialog(Parent), source_(Source), chooseFile_(std::move(ChooseFile)) {
    setObjectName(QStringLiteral("FormGrabData"));
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(QStringLiteral("Grab Data From Dictionary..."));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Data Source"));

    GroupBox_Lexicon = new QGroupBox(QStringLiteral("Lexicon"), TabSheet1);
    GroupBox_Lexicon->setObjectName(QStringLiteral("GroupBox_Lexicon"));
    RadioButton_File = new QRadioButton(QStringLiteral("From File"), GroupBox_Lexicon);
    RadioButton_File->setObjectName(QStringLiteral("RadioButton_File"));
    RadioButton_File->setChecked(true);
    RadioButton_Table = new QRadioButton(QStringLiteral("From DataBase"), GroupBox_Lexicon);
    RadioButton_Table->setObjectName(QStringLiteral("RadioButton_Table"));
    Edit_File = new QLineEdit(GroupBox_Lexicon);
    Edit_File->setObjectName(QStringLiteral("Edit_File"));
    SpeedButton_File = EllipsisButton("SpeedButton_File", GroupBox_Lexicon);
    Edit_Table = new QLineEdit(GroupBox_Lexicon);
    Edit_Table->setObjectName(QStringLiteral("Edit_Table"));
    Edit_Table->setEnabled(false);
    SpeedButton_Table = EllipsisButton("SpeedButton_Table", GroupBox_Lexicon);
    SpeedButton_Table->setEnabled(false);
    auto* lexicon = new QGridLayout(GroupBox_Lexicon);
    lexicon->addWidget(RadioButton_File, 0, 0);
    lexicon->addWidget(Edit_File, 0, 1);
    lexicon->addWidget(SpeedButton_File, 0, 2);
    lexicon->addWidget(RadioButton_Table, 1, 0);
    lexicon->addWidget(Edit_Table, 1, 1);
    lexicon->addWidget(SpeedButton_Table, 1, 2);
    lexicon->setColumnStretch(1, 1);

    GroupBox_Compare = new QGroupBox(QStringLiteral("Compare Field"), TabSheet1);
    GroupBox_Compare->setObjectName(QStringLiteral("GroupBox_Compare"));
    RadioButton_LexKey = new QRadioButton(QStringLiteral("LexKey"), GroupBox_Compare);
    RadioButton_LexKey->setObjectName(QStringLiteral("RadioButton_LexKey"));
    RadioButton_LexKey->setChecked(true);
    RadioButton_DisplayValue =
        new QRadioButton(QStringLiteral("Language Display Value"), GroupBox_Compare);
    RadioButton_DisplayValue->setObjectName(QStringLiteral("RadioButton_DisplayValue"));
    ComboBox_CodePage = new QComboBox(GroupBox_Compare);
    ComboBox_CodePage->setObjectName(QStringLiteral("ComboBox_CodePage"));
    ComboBox_CodePage->setEnabled(false);
    UseFixedPitch(*ComboBox_CodePage, font().pointSize());
    auto* compare = new QGridLayout(GroupBox_Compare);
    compare->addWidget(RadioButton_LexKey, 0, 0, 1, 2);
    compare->addWidget(RadioButton_DisplayValue, 1, 0);
    compare->addWidget(ComboBox_CodePage, 1, 1);
    compare->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(TabSheet1);
    page->addWidget(GroupBox_Lexicon);
    page->addWidget(GroupBox_Compare);
    page->addStretch();

    const TDialogButtons buttons = LayOutDialog(*this, PageControl1, [this] {
        if (source_.ShowHelp) source_.ShowHelp(this, QStringLiteral("data#grab"));
    });
    BitBtn_OK = buttons.OK;
    BitBtn_Cancel = buttons.Cancel;
    BitBtn_Help = buttons.Help;
    connect(SpeedButton_File, &QToolButton::clicked, this, [this] { SpeedButton_FileClick(); });
    connect(SpeedButton_Table, &QToolButton::clicked, this, [this] { SpeedButton_TableClick(); });
    for (QRadioButton* radio : {RadioButton_File, RadioButton_Table})
        connect(radio, &QRadioButton::toggled, this, [this] { RadioButton_FileClick(); });
    for (QRadioButton* radio : {RadioButton_LexKey, RadioButton_DisplayValue})
        connect(radio, &QRadioButton::toggled, this, [this] { RadioButton_LexKeyClick(); });
    for (QLineEdit* edit : {Edit_File, Edit_Table})
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateOkButton(); });
    connect(ComboBox_CodePage, &QComboBox::currentIndexChanged, this, [this] { UpdateOkButton(); });

    setFixedSize(QSize(420, 260).expandedTo(minimumSizeHint()));
}

void TFormGrabData::SetLanguages(const TLexTree& Tree) {
    ComboBox_CodePage->clear();
    for (int i = 1; i < Tree.BandCount(); ++i)
        ComboBox_CodePage->addItem(LanguageItemText(*Tree.Band(i)),
                                   QVariant::fromValue(reinterpret_cast<quintptr>(Tree.Band(i))));
    ComboBox_CodePage->setCurrentIndex(-1);
    UpdateOkButton();
}

TLexBand* TFormGrabData::ChosenBand() const {
    const int index = ComboBox_CodePage->currentIndex();
    if (index < 0) return nullptr;
    return reinterpret_cast<TLexBand*>(
        ComboBox_CodePage->itemData(index, BandRole).value<quintptr>());
}

std::string TFormGrabData::FileName() const {
    return QFile::encodeName(Edit_File->text()).toStdString();
}

std::string TFormGrabData::TableName() const {
    return FromQString(Edit_Table->text());
}

void TFormGrabData::UpdateOkButton() {
    const bool source = RadioButton_File->isChecked() ? !Edit_File->text().isEmpty()
                                                      : !Edit_Table->text().isEmpty();
    const bool compare = RadioButton_LexKey->isChecked() || ComboBox_CodePage->currentIndex() >= 0;
    BitBtn_OK->setEnabled(source && compare);
}

void TFormGrabData::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    BitBtn_Help->setEnabled(static_cast<bool>(source_.ShowHelp));
    UpdateOkButton();
}

void TFormGrabData::SpeedButton_FileClick() {
    QString fileName = Edit_File->text();
    if (chooseFile_ && chooseFile_(this, fileName)) Edit_File->setText(fileName);
}

void TFormGrabData::SpeedButton_TableClick() {
    TFormOpenDB dialog(source_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string table = dialog.CheckedTable();
    if (!table.empty()) Edit_Table->setText(ToQString(table));
}

void TFormGrabData::RadioButton_FileClick() {
    UpdateOkButton();
    const bool file = RadioButton_File->isChecked();
    Edit_File->setEnabled(file);
    SpeedButton_File->setEnabled(file);
    Edit_Table->setEnabled(!file);
    SpeedButton_Table->setEnabled(!file);
}

void TFormGrabData::RadioButton_LexKeyClick() {
    ComboBox_CodePage->setEnabled(!RadioButton_LexKey->isChecked());
    UpdateOkButton();
}

namespace {

TGrabCounts Grab(TLexDocument& Document, ILexReader& Reader, TLexBand* Band,
                 const TLexProgressEvent& OnProgress) {
    return Band ? GrabByDisplayValue(Document, Reader, *Band, OnProgress)
                : GrabByKey(Document, Reader, OnProgress);
}

} // namespace

void GrabData(TFormLexEditor& Editor, const TLexProgressEvent& OnProgress, const TDBSource& Source,
              const TChooseLexiconFile& ChooseFile) {
    Editor.PostEdit();
    TLexDocument& document = Editor.Document();
    TFormGrabData dialog(Source, ChooseFile, Editor.window());
    dialog.SetLanguages(document.Tree());
    if (dialog.exec() != QDialog::Accepted) return;
    TLexBand* band = dialog.RadioButton_LexKey->isChecked() ? nullptr : dialog.ChosenBand();
    if (!band && !dialog.RadioButton_LexKey->isChecked()) return;

    TGrabCounts counts;
    {
        TWaitCursor wait;
        if (dialog.RadioButton_File->isChecked()) {
            UseFileReader(document, dialog.FileName(), [&](ILexReader& Reader) {
                counts = Grab(document, Reader, band, OnProgress);
            });
        } else {
            TImportTable import(Editor, Source, dialog.TableName());
            TDBLexReader reader(import.DataSet());
            counts = Grab(document, reader, band, OnProgress);
        }
    }
    if (counts.KeyConflicts > 0) {
        const TLexEditorOptions& options = document.Options();
        const std::string count = std::to_string(counts.KeyConflicts);
        LexMessageBoxFmt(&Editor, "Keys passed over because other nodes already have them: %s",
                         "Warning", MB_OK | MB_ICONWARNING, options.CodePage, {count}, {},
                         options.SeqNo, GUILexName);
    }
}

} // namespace lex
