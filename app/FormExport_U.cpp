#include "app/FormExport_U.h"

#include "app/GuiText.h"
#include "app/LexFileDialog.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace lex {
namespace {

constexpr int BandRole = Qt::UserRole;

} // namespace

TFormExport::TFormExport(QWidget* Parent)
    : TPageDialog(Parent, QStringLiteral("FormExport"), "Export Lexicon", "Export Option",
                  QStringLiteral(":/help/images/export.png"), QStringLiteral("file#export")) {
    Label_FileName = new QLabel(TranslateGUIText("Export To File Name:"), TabSheet1);
    Edit_FileName = new QLineEdit(TabSheet1);
    Edit_FileName->setObjectName(QStringLiteral("Edit_FileName"));
    Label_FileName->setBuddy(Edit_FileName);
    SpeedButton1 = new QToolButton(TabSheet1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("..."));
    Label_Languages = new QLabel(TranslateGUIText("Export Languages:"), TabSheet1);
    CheckListBox_Language = new QListWidget(TabSheet1);
    CheckListBox_Language->setObjectName(QStringLiteral("CheckListBox_Language"));
    Label_Languages->setBuddy(CheckListBox_Language);
    Panel_Nodes = new QLabel(TranslateGUIText("Export Nodes:"), TabSheet1);
    Panel_Nodes->setObjectName(QStringLiteral("Panel_Nodes"));
    Panel_Nodes->setEnabled(false);
    ListBox_Nodes = new QListWidget(TabSheet1);
    ListBox_Nodes->setObjectName(QStringLiteral("ListBox_Nodes"));

    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(2);
    fileRow->addWidget(Edit_FileName);
    fileRow->addWidget(SpeedButton1);
    Page->addWidget(Label_FileName, 0, 1, 1, 2);
    Page->addLayout(fileRow, 1, 1, 1, 2);
    Page->addWidget(Label_Languages, 2, 1);
    Page->addWidget(CheckListBox_Language, 3, 1);
    Page->addWidget(Panel_Nodes, 2, 2);
    Page->addWidget(ListBox_Nodes, 3, 2);
    Page->setColumnStretch(1, 3);
    Page->setColumnStretch(2, 2);
    Page->setRowStretch(3, 1);

    connect(Edit_FileName, &QLineEdit::textChanged, this, [this] { UpdateOkButton(); });
    // Fires for check-box changes; texts never change after adding.
    connect(CheckListBox_Language, &QListWidget::itemChanged, this, [this] { UpdateOkButton(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    FixSize(QSize(535, 375));
    Edit_FileName->setFocus();
}

void TFormExport::AddLanguage(const QString& Caption, TLexBand* Band, bool Checked) {
    auto* item = new QListWidgetItem(Caption);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Checked ? Qt::Checked : Qt::Unchecked);
    item->setData(BandRole, QVariant::fromValue(reinterpret_cast<quintptr>(Band)));
    CheckListBox_Language->addItem(item);
}

void TFormExport::AddNode(const QString& Key) {
    ListBox_Nodes->addItem(Key);
}

void TFormExport::SetNodesOnly(bool NodesOnly) {
    Panel_Nodes->setEnabled(NodesOnly);
    nodesOnly_ = NodesOnly;
}

bool TFormExport::AnyLanguageChecked() const {
    for (int i = 0; i < CheckListBox_Language->count(); ++i)
        if (CheckListBox_Language->item(i)->checkState() == Qt::Checked) return true;
    return false;
}

std::vector<TLexBand*> TFormExport::CheckedBands() const {
    std::vector<TLexBand*> bands;
    for (int i = 0; i < CheckListBox_Language->count(); ++i) {
        const QListWidgetItem* item = CheckListBox_Language->item(i);
        if (item->checkState() == Qt::Checked)
            bands.push_back(reinterpret_cast<TLexBand*>(item->data(BandRole).value<quintptr>()));
    }
    return bands;
}

QString TFormExport::FileName() const {
    return Edit_FileName->text();
}

void TFormExport::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    UpdateOkButton();
}

void TFormExport::UpdateOkButton() {
    BitBtn_OK->setEnabled(AnyLanguageChecked() && !Edit_FileName->text().isEmpty());
}

// The save dialog only picks a name; nothing is written until the caller
// exports on OK.
void TFormExport::SpeedButton1Click() {
    TLexSaveDialog& dialog = nodesOnly_ ? LexSaveDialog() : ExchangeSaveDialog();
    dialog.FileName = Edit_FileName->text();
    if (!dialog.Execute(this)) return;
    Edit_FileName->setText(dialog.FileName);
    agreedName_ = dialog.FileName;
    replacing_ = dialog.Replacing;
}

void TFormExport::accept() {
    const QString name = FileName();
    const bool agreed =
        name == agreedName_ && FileUnchanged(QFile::encodeName(name).toStdString(), replacing_);
    if (!agreed && !AgreeToReplace(this, name, replacing_)) return;
    TPageDialog::accept();
}

} // namespace lex
