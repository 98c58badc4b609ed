#pragma once

#include "app/PageDialog.h"

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;

namespace lex {

struct TCodePageNode;

// "Add New Language": asks for the code page of a language to add. The caller
// fills the list, runs the dialog and on OK reads the code-page box, which
// the user may also type into freely; nothing here checks the text.
class TFormCodePage : public TPageDialog {
    Q_OBJECT
public:
    explicit TFormCodePage(QWidget* Parent = nullptr);

    // An entry shown as Text (as a rule the code page padded to 11
    // characters, then its description); Node may be null.
    void AddEntry(const QString& Text, const TCodePageNode* Node);

    // The text of Edit_CodePage in the process's code page; raises
    // EConvertError for a character that code page cannot hold.
    std::string SelectedCodePage() const;

    QLabel* Label1;
    QLineEdit* Edit_CodePage;
    QListWidget* CheckListBox_Lang;

private:
    void Edit_CodePageChange();
    void CheckListBox_LangClick();
};

} // namespace lex
