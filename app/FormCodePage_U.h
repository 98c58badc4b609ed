#pragma once

#include "app/PageDialog.h"

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;

namespace lex {

struct TCodePageNode;

// "Add New Language": asks for the code page of a language to add. The caller
// fills the list, runs the dialog and on OK reads the code page. The user may
// also type one; OK takes only a code page of the catalogue, and keeps the
// dialog open with a message otherwise.
class TFormCodePage : public TPageDialog {
    Q_OBJECT
public:
    explicit TFormCodePage(QWidget* Parent = nullptr);

    // An entry shown as Text (as a rule the code page padded to 11
    // characters, then its description); Node may be null.
    void AddEntry(const QString& Text, const TCodePageNode* Node);

    // The catalogue's code page that Edit_CodePage names by number (blanks
    // and leading zeros aside), or empty when it names none.
    std::string SelectedCodePage() const;

    void accept() override;

    QLabel* Label1;
    QLineEdit* Edit_CodePage;
    QListWidget* CheckListBox_Lang;

private:
    void Edit_CodePageChange();
    void CheckListBox_LangClick();
};

} // namespace lex
