#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace lex {

struct TCodePageNode;

// "Add New Language": asks for the code page of a language to add. The caller
// fills the list, runs the dialog and on OK reads the code-page box, which
// the user may also type into freely; nothing here checks the text.
class TFormCodePage : public QDialog {
    Q_OBJECT
public:
    // Takes the font of Parent's window, as the dialogs follow the main
    // window's font choice.
    explicit TFormCodePage(QWidget* Parent = nullptr);

    // An entry shown as Text (as a rule the code page padded to 11
    // characters, then its description); Node may be null.
    void AddEntry(const QString& Text, const TCodePageNode* Node);

    // The text of Edit_CodePage in the process's code page; raises
    // EConvertError for a character that code page cannot hold.
    std::string SelectedCodePage() const;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QLabel* Image1;
    QLabel* Label1;
    QLineEdit* Edit_CodePage;
    QListWidget* CheckListBox_Lang;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Help;

private:
    void Edit_CodePageChange();
    void CheckListBox_LangClick();
};

} // namespace lex
