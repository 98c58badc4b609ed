#include "app/PageDialog.h"

#include "app/GuiText.h"
#include "app/HelpWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lex {

TPageDialog::TPageDialog(QWidget* Parent, const QString& ObjectName, std::string_view Caption,
                         std::string_view PageCaption, const QString& Picture,
                         const QString& HelpTopic)
    : QDialog(Parent) {
    InitDialogResources();
    setObjectName(ObjectName);
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(TranslateGUIText(Caption));

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget(PageControl1);
    PageControl1->addTab(TabSheet1, TranslateGUIText(PageCaption));
    Image1 = new QLabel(TabSheet1);
    Image1->setPixmap(QPixmap(Picture));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Page = new QGridLayout(TabSheet1);
    Page->addWidget(Image1, 0, 0, -1, 1);

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

    connect(BitBtn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn_Help, &QPushButton::clicked, this,
            [this, HelpTopic] { ShowHelp(this, HelpTopic); });
}

void TPageDialog::FixSize(QSize Inner) {
    setFixedSize(Inner.expandedTo(minimumSizeHint()));
    CentreOnScreen(*this);
}

} // namespace lex
