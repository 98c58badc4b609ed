#include "app/FormCodePage_U.h"

#include "app/GuiText.h"
#include "platform/CodePageCatalog.h"
#include "platform/MessageBox.h"
#include "runtime/qt/QtText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace lex {
namespace {

constexpr int NodeRole = Qt::UserRole;

} // namespace

TFormCodePage::TFormCodePage(QWidget* Parent)
    : TPageDialog(Parent, QStringLiteral("FormCodePage"), "Add New Language", "Language",
                  QStringLiteral(":/help/images/language.png"),
                  QStringLiteral("data#addlanguage")) {
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

    Page->addWidget(Label1, 0, 1);
    Page->addWidget(Edit_CodePage, 1, 1);
    Page->addWidget(CheckListBox_Lang, 2, 1);
    Page->setColumnStretch(1, 1);
    Page->setRowStretch(2, 1);

    connect(Edit_CodePage, &QLineEdit::textChanged, this, [this] { Edit_CodePageChange(); });
    // A click, or moving through the list with the keys.
    connect(CheckListBox_Lang, &QListWidget::clicked, this, [this] { CheckListBox_LangClick(); });
    connect(CheckListBox_Lang, &QListWidget::currentRowChanged, this,
            [this] { CheckListBox_LangClick(); });

    FixSize(QSize(452, 347));
    Edit_CodePage->setFocus();
}

void TFormCodePage::AddEntry(const QString& Text, const TCodePageNode* Node) {
    auto* item = new QListWidgetItem(Text, CheckListBox_Lang);
    item->setData(NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(Node)));
}

std::string TFormCodePage::SelectedCodePage() const {
    const QString text = Edit_CodePage->text().trimmed();
    unsigned number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9' || number > 99999) return {};
        number = number * 10 + (c.unicode() - u'0');
    }
    if (text.isEmpty()) return {};
    const std::string name = std::to_string(number);
    return CodePageList && CodePageList->IndexOf(name) >= 0 ? name : std::string();
}

void TFormCodePage::accept() {
    if (SelectedCodePage().empty()) {
        GuiMessageBoxFmt(this, "Code page \"%s\" is unknown. Choose one of the list.", "Error",
                         MB_OK | MB_ICONERROR, Edit_CodePage->text());
        Edit_CodePage->setFocus();
        return;
    }
    QDialog::accept();
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
