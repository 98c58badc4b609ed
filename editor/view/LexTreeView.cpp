#include "editor/view/LexTreeView.h"

#include "editor/view/BandedHeaderView.h"
#include "editor/view/LexTreeModel.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

namespace lex {

TLexTreeView::TLexTreeView(QWidget* Parent)
    : QTreeView(Parent), sideways_(new QScrollBar(Qt::Horizontal, this)) {
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
    // The view's own sideways scrolling would move the fixed columns too.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sideways_->setObjectName("SidewaysBar");
    sideways_->hide();
    connect(sideways_, &QAbstractSlider::valueChanged, this, &TLexTreeView::HideScrolledColumns);
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

void TLexTreeView::setModel(QAbstractItemModel* Model) {
    QTreeView::setModel(Model);
    // After the view's own handlers, which show every section again.
    if (Model)
        connect(Model, &QAbstractItemModel::modelReset, this, &TLexTreeView::HideScrolledColumns);
    HideScrolledColumns();
}

int TLexTreeView::FixedSections() const {
    const auto* lexModel = qobject_cast<const TLexTreeModel*>(model());
    int fixed = 0;
    while (lexModel && lexModel->BandAt(fixed) && lexModel->BandAt(fixed)->Fixed)
        ++fixed;
    return fixed;
}

int TLexTreeView::FixedWidth() const {
    int width = 0;
    for (int section = 0, fixed = FixedSections(); section < fixed; ++section)
        width += header()->sectionSize(section);
    return width;
}

void TLexTreeView::updateGeometries() {
    QTreeView::updateGeometries();
    UpdateSidewaysRange();
}

void TLexTreeView::UpdateSidewaysRange() {
    // The bar counts columns: its value is how many of the scrolling ones
    // are scrolled past. At its end the last columns that fit are shown.
    const TBandedHeaderView& banded = *BandedHeader();
    const int fixed = FixedSections();
    const int room = viewport()->width() - FixedWidth();
    int fitting = 0;
    for (int section = header()->count() - 1, used = 0; section >= fixed; --section) {
        used += banded.ShownWidth(section);
        if (used > room) break;
        ++fitting;
    }
    const int scrolling = std::max(0, header()->count() - fixed);
    const int range = std::max(0, scrolling - std::max(fitting, 1));
    sideways_->setRange(0, range);
    sideways_->setPageStep(std::max(fitting, 1));
    sideways_->setVisible(range > 0);
}

void TLexTreeView::HideScrolledColumns() {
    const int fixed = FixedSections();
    const int scrolled = fixed + sideways_->value();
    for (int section = fixed; section < header()->count(); ++section)
        if (isColumnHidden(section) != (section < scrolled))
            setColumnHidden(section, section < scrolled);
}

void TLexTreeView::scrollContentsBy(int, int Dy) {
    // Sideways is the columns' business (HideScrolledColumns).
    QTreeView::scrollContentsBy(0, Dy);
}

void TLexTreeView::wheelEvent(QWheelEvent* Event) {
    // A sideways turn moves the column-counting bar, not the view's own.
    const QPoint turn = Event->angleDelta();
    if (std::abs(turn.x()) > std::abs(turn.y())) {
        QCoreApplication::sendEvent(sideways_, Event);
        return;
    }
    QTreeView::wheelEvent(Event);
}

void TLexTreeView::scrollTo(const QModelIndex& Index, ScrollHint Hint) {
    const int fixed = FixedSections();
    const int column = Index.column();
    if (Index.isValid() && column >= fixed) {
        // Scrolled until the cell is shown whole, or is the first shown.
        int first = std::min(fixed + sideways_->value(), column);
        const TBandedHeaderView& banded = *BandedHeader();
        const int room = viewport()->width() - FixedWidth();
        const auto width = [&](int From) {
            int sum = 0;
            for (int section = From; section <= column; ++section)
                sum += banded.ShownWidth(section);
            return sum;
        };
        while (first < column && width(first) > room)
            ++first;
        sideways_->setValue(first - fixed);
    }
    QTreeView::scrollTo(Index, Hint);
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
    // On a key cell the tree's own keys work the tree, as in every tree
    // view, rather than start a rename with their character; any other
    // character still renames. A value may well start with one of them.
    const QModelIndex current = currentIndex();
    const bool plain =
        !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && current.isValid() && current.column() == 0 &&
        state() != QAbstractItemView::EditingState) {
        switch (Event->key()) {
        case Qt::Key_Asterisk:
            expandRecursively(current);
            Event->accept();
            return;
        case Qt::Key_Plus:
            expand(current);
            Event->accept();
            return;
        case Qt::Key_Minus:
            collapse(current);
            Event->accept();
            return;
        default:
            break;
        }
    }
    const bool enter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState && currentIndex().isValid() &&
        edit(currentIndex(), QAbstractItemView::EditKeyPressed, Event)) {
        Event->accept();
        return;
    }
    QTreeView::keyPressEvent(Event);
}

void TLexTreeView::mousePressEvent(QMouseEvent* Event) {
    // The focus left the editor with this press and the edit was stored,
    // closing it; one still open was refused and holds the cell.
    if (editor_) {
        Event->accept();
        return;
    }
    QTreeView::mousePressEvent(Event);
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
        // On a key cell Right first opens a closed node, as in any tree.
        if (Action == MoveRight && current.column() == 0 && model()->hasChildren(current) &&
            !isExpanded(current)) {
            expand(current);
            return current;
        }
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

void TLexTreeView::dragMoveEvent(QDragMoveEvent* Event) {
    QTreeView::dragMoveEvent(Event);
    // The focus follows the pointer to the node a drop would land on.
    const QModelIndex row = indexAt(Event->position().toPoint());
    if (row.isValid())
        selectionModel()->setCurrentIndex(row.siblingAtColumn(std::max(currentIndex().column(), 0)),
                                          QItemSelectionModel::NoUpdate);
}

void TLexTreeView::drawBranches(QPainter* Painter, const QRect& Rect,
                                const QModelIndex& Index) const {
    // Dotted lines in the grey of disabled text join each node to its
    // parent and to the siblings below; a boxed sign marks a node with
    // children. Only the row's ancestors are looked at.
    const int step = indentation();
    const auto hasNextSibling = [](const QModelIndex& Node) {
        return Node.sibling(Node.row() + 1, 0).isValid();
    };
    Painter->save();
    Painter->setPen(QPen(palette().color(QPalette::Disabled, QPalette::Text), 1, Qt::DotLine));
    const int middle = Rect.top() + Rect.height() / 2;
    const int own = Rect.right() + 1 - step; // the node's own level
    const int centre = own + step / 2;
    const bool first = Index.row() == 0 && !Index.parent().isValid();
    Painter->drawLine(centre, first ? middle : Rect.top(), centre,
                      hasNextSibling(Index) ? Rect.bottom() : middle);
    Painter->drawLine(centre, middle, own + step - 1, middle);
    int left = own - step;
    for (QModelIndex ancestor = Index.parent(); ancestor.isValid() && left >= Rect.left();
         ancestor = ancestor.parent(), left -= step)
        if (hasNextSibling(ancestor))
            Painter->drawLine(left + step / 2, Rect.top(), left + step / 2, Rect.bottom());

    if (model()->hasChildren(Index)) {
        constexpr int Half = 4;
        const QRect box(centre - Half, middle - Half, 2 * Half, 2 * Half);
        Painter->setPen(palette().color(QPalette::Disabled, QPalette::Text));
        Painter->setBrush(palette().color(QPalette::Base));
        Painter->drawRect(box);
        Painter->setPen(palette().color(QPalette::Text));
        Painter->drawLine(centre - 2, middle, centre + 2, middle);
        if (!isExpanded(Index)) Painter->drawLine(centre, middle - 2, centre, middle + 2);
    }
    Painter->restore();
}

void TLexTreeView::paintEvent(QPaintEvent* Event) {
    QTreeView::paintEvent(Event);
    // The line that divides the fixed columns from the scrolling ones.
    const int x = FixedWidth() - 1;
    if (x < 0) return;
    QPainter painter(viewport());
    painter.setPen(Qt::blue);
    painter.drawLine(x, 0, x, viewport()->height());
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
