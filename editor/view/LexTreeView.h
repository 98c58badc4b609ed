#pragma once

#include <QPointer>
#include <QTreeView>

namespace lex {

class TBandedHeaderView;

// The tree-list grid: rows of nodes under a banded header, cell focus with
// row selection, in-place editors that the window keeps in step with the
// document, and drags of the selected nodes that move them onto the node
// under the pointer (or to the top level below the last row).
class TLexTreeView final : public QTreeView {
    Q_OBJECT
public:
    explicit TLexTreeView(QWidget* Parent = nullptr);

    TBandedHeaderView* BandedHeader() const;
    void SetImmediateEdit(bool Immediate);
    bool ImmediateEdit() const { return immediateEdit_; }

    // The open in-place editor, or none.
    QWidget* CurrentEditor() const { return editor_; }
    void SetCurrentEditor(QWidget* Editor) { editor_ = Editor; }
    bool OpenEditor(const QModelIndex& Index);
    void CloseEditorWithoutStoring();

signals:
    // An editor is about to close, stored or not.
    void EditorClosing(QWidget* Editor);

protected:
    void closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
    void startDrag(Qt::DropActions SupportedActions) override;

private:
    QPointer<QWidget> editor_;
    bool immediateEdit_ = true;
};

} // namespace lex
