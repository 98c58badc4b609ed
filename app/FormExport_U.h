#pragma once

#include "app/PageDialog.h"
#include "platform/FileUtil.h"

#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

namespace lex {

struct TLexBand;

// "Export Lexicon": asks for the file, the languages and, for an export of
// nodes, shows the nodes. The caller fills the lists and writes the file.
class TFormExport : public TPageDialog {
    Q_OBJECT
public:
    explicit TFormExport(QWidget* Parent = nullptr);

    void AddLanguage(const QString& Caption, TLexBand* Band, bool Checked);
    void AddNode(const QString& Key);
    // Enables the node label for an export of nodes only; a whole export
    // also offers the translators' file types.
    void SetNodesOnly(bool NodesOnly);

    bool AnyLanguageChecked() const;
    // The bands of the checked languages, in list order.
    std::vector<TLexBand*> CheckedBands() const;
    QString FileName() const;
    // Once accepted: the file at FileName as it was when the user agreed to
    // replace it (the empty identity when there was none); the export
    // refuses a file that is no longer so.
    const FileIdentity& Replacing() const { return replacing_; }

    QLabel* Label_FileName;
    QLineEdit* Edit_FileName;
    QToolButton* SpeedButton1;
    QLabel* Label_Languages;
    QListWidget* CheckListBox_Language;
    QLabel* Panel_Nodes;
    QListWidget* ListBox_Nodes;

    // OK on the name of an existing file asks before it is replaced, unless
    // the file chooser just asked about that same file.
    void accept() override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void UpdateOkButton();
    void SpeedButton1Click();

    bool nodesOnly_ = false;
    QString agreedName_; // the name the file chooser asked about
    FileIdentity replacing_;
};

} // namespace lex
