#include "editor/view/BandedHeaderView.h"

#include "editor/view/LexTreeModel.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOptionHeader>
#include <algorithm>

namespace lex {

TBandedHeaderView::TBandedHeaderView(QWidget* Parent) : QHeaderView(Qt::Horizontal, Parent) {
    setSectionsMovable(false);
    setStretchLastSection(false);
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionResized, this, &TBandedHeaderView::OnSectionResized);
}

void TBandedHeaderView::setModel(QAbstractItemModel* Model) {
    if (lexModel_) disconnect(lexModel_, nullptr, this, nullptr);
    QHeaderView::setModel(Model);
    lexModel_ = qobject_cast<TLexTreeModel*>(Model);
    if (!lexModel_) return;
    // After the base class's own handlers, which give new sections the
    // default size.
    connect(lexModel_, &QAbstractItemModel::modelReset, this,
            &TBandedHeaderView::ApplyColumnWidths);
    connect(lexModel_, &QAbstractItemModel::headerDataChanged, this,
            &TBandedHeaderView::ApplyColumnWidths);
    ApplyColumnWidths();
}

void TBandedHeaderView::ApplyColumnWidths() {
    if (!lexModel_) return;
    for (int i = 0; i < count(); ++i)
        resizeSection(i, ShownWidth(i));
    viewport()->update();
}

void TBandedHeaderView::mouseMoveEvent(QMouseEvent* Event) {
    const QScopedValueRollback scope(userResizing_, true);
    QHeaderView::mouseMoveEvent(Event);
}

void TBandedHeaderView::mouseDoubleClickEvent(QMouseEvent* Event) {
    const QScopedValueRollback scope(userResizing_, true);
    QHeaderView::mouseDoubleClickEvent(Event);
}

void TBandedHeaderView::OnSectionResized(int LogicalIndex, int, int NewSize) {
    if (!userResizing_ || !lexModel_) return;
    if (TLexColumn* column = lexModel_->ColumnAt(LogicalIndex)) column->Width = NewSize;
    // The band row spans several sections: redraw all of it.
    viewport()->update();
    emit ColumnResizedByUser(LogicalIndex, NewSize);
}

QSize TBandedHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() * 2);
    return size;
}

int TBandedHeaderView::ShownWidth(int LogicalIndex) const {
    if (!lexModel_) return sectionSize(LogicalIndex);
    if (const TLexColumn* column = lexModel_->ColumnAt(LogicalIndex)) return column->Width;
    // An empty band: as wide as its caption needs.
    const TLexBand* band = lexModel_->BandAt(LogicalIndex);
    if (!band) return sectionSize(LogicalIndex);
    constexpr int Margin = 8;
    constexpr int MinimumWidth = 40;
    return std::max(MinimumWidth,
                    fontMetrics().horizontalAdvance(lexModel_->BandCaption(*band)) + 2 * Margin);
}

QRect TBandedHeaderView::BandRect(int LogicalIndex) const {
    if (!lexModel_ || !lexModel_->BandAt(LogicalIndex)) return {};
    const auto [first, last] = lexModel_->BandSections(LogicalIndex);
    const int left = sectionViewportPosition(first);
    const int right = sectionViewportPosition(last) + sectionSize(last);
    return {left, 0, right - left, height() / 2};
}

void TBandedHeaderView::paintSection(QPainter* Painter, const QRect& Rect, int LogicalIndex) const {
    const int half = Rect.height() / 2;
    QRect lower = Rect;
    lower.setTop(Rect.top() + half);
    Painter->save();
    QHeaderView::paintSection(Painter, lower, LogicalIndex);
    Painter->restore();

    const QRect band = BandRect(LogicalIndex);
    if (band.isEmpty()) return;
    // Every section of a band draws the whole band cell; the same pixels
    // each time, so whichever sections are repainted the cell is complete.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(band.left(), Rect.top(), band.width(), half);
    option.section = LogicalIndex;
    option.text = lexModel_->BandCaption(*lexModel_->BandAt(LogicalIndex));
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::Middle;
    Painter->save();
    style()->drawControl(QStyle::CE_Header, &option, Painter, this);
    Painter->restore();
}

} // namespace lex
