#include "app/PageDialog.h"

#include "app/GuiText.h"
#include "app/HelpWindow.h"
#include "editor/view/DialogButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>

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

    const TDialogButtons buttons = LayOutDialog(
        *this, PageControl1, [this, HelpTopic] { ShowHelp(this, HelpTopic); },
        [](const char* Text) { return TranslateGUIText(Text); });
    BitBtn_OK = buttons.OK;
    BitBtn_Cancel = buttons.Cancel;
    BitBtn_Help = buttons.Help;
}

void TPageDialog::FixSize(QSize Inner) {
    setFixedSize(Inner.expandedTo(minimumSizeHint()));
    CentreOnScreen(*this);
}

} // namespace lex
