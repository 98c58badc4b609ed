#pragma once

#include <QDockWidget>
#include <QPointer>

class QMainWindow;
class QTreeView;

namespace lex {

class TCheckFindingModel;
class TFormLexEditor;

// Data > Check Lexicon: the findings of the consistency checks over one
// editor's document, one a row (key, language, sequence, rule, detail). A
// double click focuses the finding's cell. Findings hold keys, not nodes:
// the lexicon may change or close while they are listed, and each is looked
// up again when it is opened.
class TCheckPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TCheckPanel(QWidget* Parent = nullptr);

    // Runs every check over Editor's document and lists what they find.
    void Check(TFormLexEditor& Editor);
    // Brings the editor up with the finding's cell current, or says why it
    // cannot: the editor closed, the key or the language gone.
    void FocusFinding(int Row);

    QTreeView* TreeView_Findings;

private:
    QPointer<TFormLexEditor> editor_;
    TCheckFindingModel* model_;
};

// The check of Editor into Window's panel, made and docked at the bottom on
// first use.
TCheckPanel& CheckLexiconInto(QMainWindow& Window, TFormLexEditor& Editor);

} // namespace lex
