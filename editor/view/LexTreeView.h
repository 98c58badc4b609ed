#pragma once

#include <QPointer>
#include <QTreeView>

namespace lex {

class TBandedHeaderView;

// The tree-list grid: rows of nodes under a banded header, cell focus with
// row selection, in-place editors that the window keeps in step with the
// document, and drags of the selected nodes that move them onto the node
// under the pointer (or to the top level below the last row).
//
// The key column stays at the left when the grid scrolls sideways: a second
// view of the same model, selection and delegate lies over it and shows
// that column only, following the grid's rows, expansion and key width.
// Key cells are edited there; the grid routes such edits to it.
class TLexTreeView final : public QTreeView {
    Q_OBJECT
public:
    explicit TLexTreeView(QWidget* Parent = nullptr);

    // Also gives the key view the model, the selection and the delegate:
    // set the delegate first.
    void setModel(QAbstractItemModel* Model) override;
    void scrollTo(const QModelIndex& Index, ScrollHint Hint = EnsureVisible) override;

    TBandedHeaderView* BandedHeader() const;
    QTreeView* KeyView() const { return keyView_; }
    // The column under a viewport x, the key column wherever it lies over the grid.
    int ColumnAt(int X) const;
    void SetImmediateEdit(bool Immediate);
    bool ImmediateEdit() const { return immediateEdit_; }

    // The open in-place editor, in either view, or none.
    QWidget* CurrentEditor() const { return editor_; }
    void SetCurrentEditor(QWidget* Editor) { editor_ = Editor; }
    bool OpenEditor(const QModelIndex& Index);
    void CloseEditorWithoutStoring();

signals:
    // An editor is about to close, stored or not.
    void EditorClosing(QWidget* Editor);

protected:
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void drawBranches(QPainter* Painter, const QRect& Rect,
                      const QModelIndex& Index) const override;
    bool edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) override;
    void commitData(QWidget* Editor) override;
    void closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
    void paintEvent(QPaintEvent* Event) override;
    void startDrag(Qt::DropActions SupportedActions) override;
    void updateGeometries() override;

private:
    explicit TLexTreeView(TLexTreeView& Grid); // the key view over Grid

    void Configure();
    TLexTreeView& Grid() { return grid_ ? *grid_ : *this; }
    TLexTreeView& ViewFor(int Column);
    bool Owns(const QWidget* Editor) const;
    void HideLanguageColumns();
    void PlaceKeyView();

    TLexTreeView* grid_ = nullptr;    // set on the key view
    TLexTreeView* keyView_ = nullptr; // set on the grid
    QPointer<QWidget> editor_;
    bool immediateEdit_ = true;
};

} // namespace lex
