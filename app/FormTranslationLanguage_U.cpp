#include "app/FormTranslationLanguage_U.h"

#include "app/GuiText.h"
#include "app/HelpWindow.h"
#include "editor/view/DialogButtons.h"
#include "runtime/qt/QtText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace lex {

TFormTranslationLanguage::TFormTranslationLanguage(const char* Caption, const QString& HelpTopic,
                                                   bool NewSequences, QWidget* Parent)
    : QDialog(Parent) {
    setObjectName(QStringLiteral("FormTranslationLanguage"));
    setWindowTitle(TranslateGUIText(Caption));
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    ComboBox_Language = new QComboBox(page);
    ComboBox_Language->setObjectName(QStringLiteral("ComboBox_Language"));
    ComboBox_Sequence = new QComboBox(page);
    ComboBox_Sequence->setObjectName(QStringLiteral("ComboBox_Sequence"));
    ComboBox_Sequence->setEditable(NewSequences);
    form->addRow(TranslateGUIText("Select a Language:"), ComboBox_Language);
    form->addRow(TranslateGUIText("Sequence:"), ComboBox_Sequence);

    const TDialogButtons buttons = LayOutDialog(
        *this, page, [this, HelpTopic] { ShowHelp(this, HelpTopic); },
        [](const char* Text) { return TranslateGUIText(Text); });
    const auto updateOk = [this, ok = buttons.OK] {
        ok->setEnabled(ComboBox_Language->currentIndex() >= 0 &&
                       !ComboBox_Sequence->currentText().trimmed().isEmpty());
    };
    connect(ComboBox_Language, &QComboBox::currentIndexChanged, this, [this, updateOk] {
        ShowSequences();
        updateOk();
    });
    connect(ComboBox_Sequence, &QComboBox::currentTextChanged, this, updateOk);
}

void TFormTranslationLanguage::AddLanguage(const QString& Text, const std::string& CodePage,
                                           const QStringList& Sequences) {
    sequences_.push_back(Sequences);
    ComboBox_Language->addItem(Text, ToQString(CodePage));
}

void TFormTranslationLanguage::SelectCodePage(const std::string& CodePage) {
    const int row = ComboBox_Language->findData(ToQString(CodePage));
    if (row >= 0) ComboBox_Language->setCurrentIndex(row);
}

std::string TFormTranslationLanguage::CodePage() const {
    return FromQString(ComboBox_Language->currentData().toString());
}

std::string TFormTranslationLanguage::SeqNo() const {
    return FromQString(ComboBox_Sequence->currentText().trimmed());
}

void TFormTranslationLanguage::ShowSequences() {
    const int row = ComboBox_Language->currentIndex();
    ComboBox_Sequence->clear();
    if (row >= 0) ComboBox_Sequence->addItems(sequences_[static_cast<size_t>(row)]);
}

} // namespace lex
