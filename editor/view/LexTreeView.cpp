#include "editor/view/LexTreeView.h"

#include "editor/view/BandedHeaderView.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace lex {

TLexTreeView::TLexTreeView(QWidget* Parent) : QTreeView(Parent), keyView_(new TLexTreeView(*this)) {
    Configure();
    // The key view scrolls, expands and sizes its column with the grid.
    for (auto [from, to] : {std::pair{this, keyView_}, std::pair{keyView_, this}}) {
        connect(from, &QTreeView::expanded, to, &QTreeView::expand);
        connect(from, &QTreeView::collapsed, to, &QTreeView::collapse);
        QScrollBar* source = from->verticalScrollBar();
        QScrollBar* target = to->verticalScrollBar();
        connect(source, &QAbstractSlider::valueChanged, target, &QAbstractSlider::setValue);
        // A range that grows after a layout must not leave the views apart.
        connect(target, &QAbstractSlider::rangeChanged, source,
                [source, target] { target->setValue(source->value()); });
        connect(from->header(), &QHeaderView::sectionResized, this,
                [this, to](int Section, int, int Size) {
                    if (Section != 0) return;
                    to->header()->resizeSection(0, Size);
                    PlaceKeyView();
                });
    }
    // Its menus are the grid's.
    connect(keyView_, &QWidget::customContextMenuRequested, this,
            &QWidget::customContextMenuRequested);
    connect(keyView_->header(), &QWidget::customContextMenuRequested, header(),
            &QWidget::customContextMenuRequested);
}

TLexTreeView::TLexTreeView(TLexTreeView& Grid) : QTreeView(&Grid), grid_(&Grid) {
    Configure();
    setObjectName("KeyView");
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Clicks focus the grid, which takes the keys for both.
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(&Grid);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TLexTreeView::Configure() {
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

void TLexTreeView::setModel(QAbstractItemModel* Model) {
    QTreeView::setModel(Model);
    if (!keyView_) return;
    keyView_->setModel(Model);
    QItemSelectionModel* own = keyView_->selectionModel();
    keyView_->setSelectionModel(selectionModel());
    delete own;
    keyView_->setItemDelegate(itemDelegate());
    if (Model) {
        // After the views' own handlers, which show every section again.
        connect(Model, &QAbstractItemModel::modelReset, this, &TLexTreeView::HideLanguageColumns);
        connect(Model, &QAbstractItemModel::columnsInserted, this,
                &TLexTreeView::HideLanguageColumns);
    }
    HideLanguageColumns();
}

void TLexTreeView::HideLanguageColumns() {
    for (int column = 1; column < keyView_->header()->count(); ++column)
        keyView_->setColumnHidden(column, true);
}

void TLexTreeView::updateGeometries() {
    QTreeView::updateGeometries();
    if (keyView_) PlaceKeyView();
}

void TLexTreeView::PlaceKeyView() {
    const int width = std::min(header()->sectionSize(0), viewport()->width());
    keyView_->header()->setFixedHeight(header()->height());
    keyView_->setGeometry(frameWidth(), frameWidth(), width,
                          header()->height() + viewport()->height());
}

int TLexTreeView::ColumnAt(int X) const {
    return X < keyView_->width() ? 0 : header()->logicalIndexAt(X);
}

void TLexTreeView::scrollTo(const QModelIndex& Index, ScrollHint Hint) {
    if (!keyView_) {
        QTreeView::scrollTo(Index, Hint);
        return;
    }
    // The key cell is always in sight sideways; a language cell must not end
    // up beneath the key view.
    QScrollBar& sideways = *horizontalScrollBar();
    const int offset = sideways.value();
    QTreeView::scrollTo(Index, Hint);
    if (Index.column() == 0) {
        sideways.setValue(offset);
        return;
    }
    const int hidden = keyView_->width() - visualRect(Index).left();
    if (hidden > 0) sideways.setValue(sideways.value() - hidden);
}

TBandedHeaderView* TLexTreeView::BandedHeader() const {
    return static_cast<TBandedHeaderView*>(header());
}

void TLexTreeView::SetImmediateEdit(bool Immediate) {
    immediateEdit_ = Immediate;
    if (keyView_) keyView_->SetImmediateEdit(Immediate);
    // A click on the selected cell waits for a possible double click before
    // it edits; with immediate editing every click edits at once instead.
    EditTriggers triggers = DoubleClicked | EditKeyPressed | AnyKeyPressed;
    if (!Immediate) triggers |= SelectedClicked;
    setEditTriggers(triggers);
}

TLexTreeView& TLexTreeView::ViewFor(int Column) {
    TLexTreeView& grid = Grid();
    return Column == 0 ? *grid.keyView_ : grid;
}

bool TLexTreeView::Owns(const QWidget* Editor) const {
    // Editors are made on the viewport; the shared delegate's signals reach both views.
    return Editor && Editor->parentWidget() == viewport();
}

bool TLexTreeView::OpenEditor(const QModelIndex& Index) {
    return edit(Index, QAbstractItemView::AllEditTriggers, nullptr);
}

bool TLexTreeView::edit(const QModelIndex& Index, EditTrigger Trigger, QEvent* Event) {
    TLexTreeView& view = Index.isValid() ? ViewFor(Index.column()) : *this;
    if (&view != this) return view.edit(Index, Trigger, Event);
    return QTreeView::edit(Index, Trigger, Event);
}

void TLexTreeView::CloseEditorWithoutStoring() {
    if (!editor_) return;
    TLexTreeView& owner = keyView_->Owns(editor_) ? *keyView_ : *this;
    owner.closeEditor(editor_, QAbstractItemDelegate::NoHint);
}

void TLexTreeView::commitData(QWidget* Editor) {
    if (Owns(Editor)) QTreeView::commitData(Editor);
}

void TLexTreeView::closeEditor(QWidget* Editor, QAbstractItemDelegate::EndEditHint Hint) {
    if (!Owns(Editor)) return;
    TLexTreeView& grid = Grid();
    // Forgotten first: with Tab the base class opens the next cell's editor.
    if (Editor == grid.editor_) grid.editor_ = nullptr;
    emit grid.EditorClosing(Editor);
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
    if (!grid_) return;
    // The line that divides the keys from the languages.
    QPainter painter(viewport());
    painter.setPen(Qt::blue);
    const int x = viewport()->width() - 1;
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
