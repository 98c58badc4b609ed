#include "app/FormReplace_U.h"

#include "app/GuiText.h"
#include "app/HelpWindow.h"
#include "editor/view/DialogButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace lex {

TFormReplace::TFormReplace(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("FormReplace"));
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(TranslateGUIText("Replace"));
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    const auto named = [](QWidget* Widget, const char* Name) {
        Widget->setObjectName(QString::fromLatin1(Name));
        return Widget;
    };
    Edit_Find = new QLineEdit(page);
    Edit_Replace = new QLineEdit(page);
    ComboBox_Languages = new QComboBox(page);
    ComboBox_Languages->addItem(TranslateGUIText("All Languages"));
    CheckBox_MatchCase = new QCheckBox(TranslateGUIText("&Match case"), page);
    CheckBox_WholeCell = new QCheckBox(TranslateGUIText("&Whole cell"), page);
    form->addRow(TranslateGUIText("Fi&nd what:"), named(Edit_Find, "Edit_Find"));
    form->addRow(TranslateGUIText("Re&place with:"), named(Edit_Replace, "Edit_Replace"));
    form->addRow(TranslateGUIText("&Languages:"), named(ComboBox_Languages, "ComboBox_Languages"));
    form->addRow(named(CheckBox_MatchCase, "CheckBox_MatchCase"));
    form->addRow(named(CheckBox_WholeCell, "CheckBox_WholeCell"));
    Edit_Find->setMinimumWidth(240);

    const TDialogButtons buttons = LayOutDialog(
        *this, page, [this] { ShowHelp(this, QStringLiteral("edit#replace")); },
        [](const char* Text) { return TranslateGUIText(Text); });
    connect(Edit_Find, &QLineEdit::textChanged, this,
            [ok = buttons.OK](const QString& Text) { ok->setEnabled(!Text.isEmpty()); });
    Edit_Find->setFocus();
}

void TFormReplace::OfferLanguage(const QString& Caption) {
    ComboBox_Languages->addItem(Caption);
}

bool TFormReplace::OneLanguage() const {
    return ComboBox_Languages->currentIndex() > 0;
}

} // namespace lex
