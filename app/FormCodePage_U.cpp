#include "app/FormCodePage_U.h"

#include "app/GuiText.h"
#include "app/HelpWindow.h"
#include "platform/CodePageCatalog.h"
#include "runtime/qt/QtText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lex {
namespace {

constexpr int NodeRole = Qt::UserRole;

} // namespace

TFormCodePage::TFormCodePage(QWidget* Parent) : QDialog(Parent) {
    InitDialogResources();
    setObjectName(QStringLiteral("FormCodePage"));
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(TranslateGUIText("Add New Language"));

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget(PageControl1);
    PageControl1->addTab(TabSheet1, TranslateGUIText("Language"));

    Image1 = new QLabel(TabSheet1);
    Image1->setPixmap(QPixmap(QStringLiteral(":/help/images/language.png")));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Label1 = new QLabel(TranslateGUIText("Select a Language:"), TabSheet1);
    Edit_CodePage = new QLineEdit(TabSheet1);
    Edit_CodePage->setObjectName(QStringLiteral("Edit_CodePage"));
    Label1->setBuddy(Edit_CodePage);
    CheckListBox_Lang = new QListWidget(TabSheet1);
    CheckListBox_Lang->setObjectName(QStringLiteral("CheckListBox_Lang"));
    // The entries line up as columns only in a fixed-pitch font.
    QFont listFont(QStringLiteral("Monospace"), font().pointSize());
    listFont.setStyleHint(QFont::TypeWriter);
    CheckListBox_Lang->setFont(listFont);

    auto* page = new QGridLayout(TabSheet1);
    page->addWidget(Image1, 0, 0, 3, 1);
    page->addWidget(Label1, 0, 1);
    page->addWidget(Edit_CodePage, 1, 1);
    page->addWidget(CheckListBox_Lang, 2, 1);
    page->setColumnStretch(1, 1);
    page->setRowStretch(2, 1);

    BitBtn_OK = new QPushButton(TranslateGUIText("OK"), this);
    BitBtn_OK->setObjectName(QStringLiteral("BitBtn_OK"));
    BitBtn_OK->setDefault(true);
    BitBtn_OK->setEnabled(false);
    BitBtn_Cancel = new QPushButton(TranslateGUIText("Cancel"), this);
    BitBtn_Cancel->setObjectName(QStringLiteral("BitBtn_Cancel"));
    BitBtn_Help = new QPushButton(TranslateGUIText("&Help"), this);
    BitBtn_Help->setObjectName(QStringLiteral("BitBtn_Help"));
    BitBtn_Help->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn_OK);
    buttons->addWidget(BitBtn_Cancel);
    buttons->addWidget(BitBtn_Help);
    auto* form = new QVBoxLayout(this);
    form->addWidget(PageControl1);
    form->addLayout(buttons);

    connect(Edit_CodePage, &QLineEdit::textChanged, this, [this] { Edit_CodePageChange(); });
    // A click, or moving through the list with the keys.
    connect(CheckListBox_Lang, &QListWidget::clicked, this, [this] { CheckListBox_LangClick(); });
    connect(CheckListBox_Lang, &QListWidget::currentRowChanged, this,
            [this] { CheckListBox_LangClick(); });
    connect(BitBtn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn_Help, &QPushButton::clicked, this,
            [this] { ShowHelp(this, QStringLiteral("data#addlanguage")); });

    setFixedSize(QSize(452, 347).expandedTo(minimumSizeHint()));
    CentreOnScreen(*this);
    Edit_CodePage->setFocus();
}

void TFormCodePage::AddEntry(const QString& Text, const TCodePageNode* Node) {
    auto* item = new QListWidgetItem(Text, CheckListBox_Lang);
    item->setData(NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(Node)));
}

std::string TFormCodePage::SelectedCodePage() const {
    return FromQString(Edit_CodePage->text());
}

void TFormCodePage::Edit_CodePageChange() {
    BitBtn_OK->setEnabled(!Edit_CodePage->text().isEmpty());
}

// Only the number goes into the box, not the description shown beside it.
void TFormCodePage::CheckListBox_LangClick() {
    const QListWidgetItem* item = CheckListBox_Lang->currentItem();
    if (!item || !item->isSelected()) return;
    const auto* node =
        reinterpret_cast<const TCodePageNode*>(item->data(NodeRole).value<quintptr>());
    if (node) Edit_CodePage->setText(ToQString(node->CodePage));
}

} // namespace lex
