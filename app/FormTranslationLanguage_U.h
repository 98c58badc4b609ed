#pragma once

#include <QDialog>
#include <QStringList>
#include <string>
#include <vector>

class QComboBox;
class QLabel;

namespace lex {

// "Export Language" and "Import Translations": which language (a code page)
// and sequence a translator's file is made from or goes into. The caller
// lists the languages; an import may also name a sequence the language does
// not have yet, which the import adds.
class TFormTranslationLanguage : public QDialog {
    Q_OBJECT
public:
    // Caption and HelpTopic as the dialog's title and help; NewSequences
    // makes the sequence box take typed names.
    TFormTranslationLanguage(const char* Caption, const QString& HelpTopic, bool NewSequences,
                             QWidget* Parent = nullptr);

    // A language shown as Text, with the sequences it offers.
    void AddLanguage(const QString& Text, const std::string& CodePage,
                     const QStringList& Sequences);
    // Shows the language of CodePage, when listed.
    void SelectCodePage(const std::string& CodePage);

    std::string CodePage() const;
    std::string SeqNo() const;

    QComboBox* ComboBox_Language;
    QComboBox* ComboBox_Sequence;

private:
    void ShowSequences();

    std::vector<QStringList> sequences_; // by language row
};

} // namespace lex
