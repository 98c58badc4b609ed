#include "editor/view/LexTreeView.h"

#include "editor/view/BandedHeaderView.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace lex {

TLexTreeView::TLexTreeView(QWidget* Parent) : QTreeView(Parent) {
    setHeader(new TBandedHeaderView(this));
    // Rows are laid out without asking each one its height: a million-node
    // tree costs no more to show than a small one.
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    SetImmediateEdit(immediateEdit_);
    setExpandsOnDoubleClick(false);
    setTextElideMode(Qt::ElideRight);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Dropping always means "onto the node under the pointer", never between
    // rows; the view's own removal after a move is replaced by startDrag.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(true);
    setDefaultDropAction(Qt::MoveAction);
    setAutoScroll(true);
    setAutoExpandDelay(700);
    // Selection and focus stay visible while another window has the focus.
    QPalette colours = palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
}

TBandedHeaderView* TLexTreeView::BandedHeader() const {
    return static_cast<TBandedHeaderView*>(header());
}

void TLexTreeView::SetImmediateEdit(bool Immediate) {
    immediateEdit_ = Immediate;
    // A click on the selected cell waits for a possible double click before
    // it edits; with immediate editing every click edits at once instead.
    EditTriggers triggers = DoubleClicked | EditKeyPressed | AnyKeyPressed;
    if (!Immediate) triggers |= SelectedClicked;
    setEditTriggers(triggers);
}

bool TLexTreeView::OpenEditor(const QModelIndex& Index) {
    return edit(Index, QAbstractItemView::AllEditTriggers, nullptr);
}

void TLexTreeView::CloseEditorWithoutStoring() {
    if (editor_) closeEditor(editor_, QAbstractItemDelegate::NoHint);
}

void TLexTreeView::closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) {
    // Forgotten first: with Tab the base class opens the next cell's editor.
    if (Editor == editor_) editor_ = nullptr;
    emit EditorClosing(Editor);
    // The delegate ends an edit with Enter this way (the view itself does
    // too when the current row changes, which must not move once more).
    const bool enter =
        Hint == QAbstractItemDelegate::SubmitModelCache && sender() && sender() == itemDelegate();
    QTreeView::closeEditor(Editor, Hint);
    if (!enter) return;
    const QModelIndex next = moveCursor(MoveNext, Qt::NoModifier);
    if (next.isValid())
        selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
}

void TLexTreeView::keyPressEvent(QKeyEvent* Event) {
    const bool enter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState && currentIndex().isValid() &&
        edit(currentIndex(), QAbstractItemView::EditKeyPressed, Event)) {
        Event->accept();
        return;
    }
    QTreeView::keyPressEvent(Event);
}

void TLexTreeView::mouseReleaseEvent(QMouseEvent* Event) {
    QTreeView::mouseReleaseEvent(Event);
    if (!immediateEdit_ || Event->button() != Qt::LeftButton ||
        Event->modifiers() != Qt::NoModifier || state() == QAbstractItemView::EditingState)
        return;
    const QPoint position = Event->position().toPoint();
    const QModelIndex index = indexAt(position);
    // A click on the branch sign expands; only one on the cell itself edits.
    if (index.isValid() && index == currentIndex() && visualRect(index).contains(position))
        OpenEditor(index);
}

QModelIndex TLexTreeView::moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) {
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return QTreeView::moveCursor(Action, Modifiers);
    const int columns = model()->columnCount(current.parent());
    switch (Action) {
    case MoveLeft:
    case MoveRight: {
        // Between cells; at the row's ends they collapse and expand as in any tree.
        const int column = current.column() + (Action == MoveRight ? 1 : -1);
        if (column >= 0 && column < columns) return current.siblingAtColumn(column);
        break;
    }
    case MoveNext:
    case MovePrevious: {
        // Tab and Enter: the next cell, then the next row's first.
        const bool next = Action == MoveNext;
        const int column = current.column() + (next ? 1 : -1);
        if (column >= 0 && column < columns) return current.siblingAtColumn(column);
        const QModelIndex row = QTreeView::moveCursor(next ? MoveDown : MoveUp, Qt::NoModifier);
        if (!row.isValid() || row.siblingAtColumn(0) == current.siblingAtColumn(0)) return {};
        return row.siblingAtColumn(next ? 0 : columns - 1);
    }
    default:
        break;
    }
    return QTreeView::moveCursor(Action, Modifiers);
}

void TLexTreeView::startDrag(Qt::DropActions) {
    // The model's drop moves the nodes; nothing is removed or cleared here
    // afterwards, whatever the drop reported.
    if (!model() || !selectionModel()->hasSelection()) return;
    QMimeData* data = model()->mimeData({currentIndex()});
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

} // namespace lex
