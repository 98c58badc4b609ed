#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace lex {

// Edit > Replace: the text to find and its replacement, the languages (all,
// or the one given, as a rule the focused one) and how cells match. OK
// waits for a text to find.
class TFormReplace : public QDialog {
    Q_OBJECT
public:
    explicit TFormReplace(QWidget* Parent = nullptr);

    // A language offered beside all of them, shown as Caption.
    void OfferLanguage(const QString& Caption);
    // Whether the one language offered is chosen rather than all.
    bool OneLanguage() const;

    QLineEdit* Edit_Find;
    QLineEdit* Edit_Replace;
    QComboBox* ComboBox_Languages;
    QCheckBox* CheckBox_MatchCase;
    QCheckBox* CheckBox_WholeCell;
};

} // namespace lex
