#pragma once

#include <QPointer>
#include <QTreeView>

class QScrollBar;

namespace lex {

class TBandedHeaderView;

// The tree-list grid: rows of nodes under a banded header, cell focus with
// row selection, in-place editors that the window keeps in step with the
// document, and drags of the selected nodes that move them onto the node
// under the pointer (or to the top level below the last row).
//
// The columns of the fixed bands (the key band) stay at the left when the
// grid scrolls sideways: it scrolls by whole columns, hiding those scrolled
// past, so the header is never offset and every shown column, cells and
// header alike, starts right of the fixed ones. The sideways scroll bar is
// the grid's own, for the window to place below it.
class TLexTreeView final : public QTreeView {
    Q_OBJECT
public:
    explicit TLexTreeView(QWidget* Parent = nullptr);

    void setModel(QAbstractItemModel* Model) override;
    void scrollTo(const QModelIndex& Index, ScrollHint Hint = EnsureVisible) override;

    TBandedHeaderView* BandedHeader() const;
    QScrollBar* SidewaysBar() const { return sideways_; }
    // The leading sections that do not scroll sideways.
    int FixedSections() const;
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
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void drawBranches(QPainter* Painter, const QRect& Rect,
                      const QModelIndex& Index) const override;
    void closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;
    void paintEvent(QPaintEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void startDrag(Qt::DropActions SupportedActions) override;
    void updateGeometries() override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    int FixedWidth() const;
    void UpdateSidewaysRange();
    void HideScrolledColumns();

    QScrollBar* sideways_;
    QPointer<QWidget> editor_;
    bool immediateEdit_ = true;
};

} // namespace lex
