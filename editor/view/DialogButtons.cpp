#include "editor/view/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace lex {

TDialogButtons LayOutDialog(QDialog& Dialog, QWidget* Pages, std::function<void()> OnHelp,
                            const std::function<QString(const char*)>& Caption) {
    const auto button = [&](const char* Name, const char* Text) {
        auto* pushButton =
            new QPushButton(Caption ? Caption(Text) : QString::fromLatin1(Text), &Dialog);
        pushButton->setObjectName(QString::fromLatin1(Name));
        return pushButton;
    };
    const TDialogButtons buttons{button("BitBtn_OK", "OK"), button("BitBtn_Cancel", "Cancel"),
                                 button("BitBtn_Help", "&Help")};
    buttons.OK->setDefault(true);
    buttons.OK->setEnabled(false);
    buttons.Help->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* pushButton : {buttons.OK, buttons.Cancel, buttons.Help})
        row->addWidget(pushButton);
    auto* form = new QVBoxLayout(&Dialog);
    form->addWidget(Pages);
    form->addLayout(row);

    QObject::connect(buttons.OK, &QPushButton::clicked, &Dialog, &QDialog::accept);
    QObject::connect(buttons.Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    QObject::connect(buttons.Help, &QPushButton::clicked, &Dialog, std::move(OnHelp));
    return buttons;
}

} // namespace lex
