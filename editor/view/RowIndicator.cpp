#include "editor/view/RowIndicator.h"

#include <QEvent>
#include <QPainter>
#include <QTreeView>
#include <algorithm>

namespace lex {

TRowIndicator::TRowIndicator(QTreeView& Grid, QWidget* Parent) : QWidget(Parent), grid_(Grid) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    grid_.viewport()->installEventFilter(this);
}

QSize TRowIndicator::sizeHint() const {
    return {12, 0};
}

bool TRowIndicator::eventFilter(QObject*, QEvent* Event) {
    // Scrolling, expanding, a new focus: each repaints the rows.
    if (Event->type() == QEvent::Paint) update();
    return false;
}

void TRowIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QModelIndex current = grid_.currentIndex();
    if (!current.isValid()) return;
    // The tree column is fixed: never scrolled out of view sideways.
    const QRect row = grid_.visualRect(current.siblingAtColumn(0));
    QWidget& rows = *grid_.viewport();
    if (row.isEmpty() || row.bottom() < 0 || row.top() >= rows.height()) return;
    const int top = mapFromGlobal(rows.mapToGlobal(row.topLeft())).y();
    // Never over the header when the row is partly scrolled away.
    painter.setClipRect(0, mapFromGlobal(rows.mapToGlobal(QPoint())).y(), width(), rows.height());
    const int middle = top + row.height() / 2;
    const int half = std::min(4, row.height() / 2);
    const int left = (width() - half) / 2;
    const QPoint triangle[] = {{left, middle - half}, {left + half, middle}, {left, middle + half}};
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ButtonText));
    painter.drawPolygon(triangle, 3);
}

} // namespace lex
