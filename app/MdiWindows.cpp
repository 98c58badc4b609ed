#include "app/MdiWindows.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <utility>

namespace lex {
namespace {

// Most recently active first, as the desktop's own tiling orders them.
QList<QMdiSubWindow*> VisibleWindows(QMdiArea& Area) {
    QList<QMdiSubWindow*> windows = Area.subWindowList(QMdiArea::ActivationHistoryOrder);
    std::reverse(windows.begin(), windows.end());
    windows.removeIf([](QMdiSubWindow* Window) { return !Window->isVisible(); });
    return windows;
}

// Columns of windows stacked one above the other; the last column takes what
// is left over. Tiling horizontally swaps the counts of rows and columns, so
// two or three windows become full-width strips. The desktop's classic tiling.
void Tile(QMdiArea& Area, bool Horizontal) {
    QList<QMdiSubWindow*> windows = VisibleWindows(Area);
    int iconHeight = 0;
    for (QMdiSubWindow* w : windows)
        if (w->isMinimized()) iconHeight = std::max(iconHeight, w->height());
    windows.removeIf([](QMdiSubWindow* Window) { return Window->isMinimized(); });
    if (windows.isEmpty()) return;

    QRect area = Area.viewport()->rect();
    area.setBottom(area.bottom() - iconHeight);
    for (QMdiSubWindow* w : windows)
        if (w->isMaximized()) w->showNormal();

    const int total = static_cast<int>(windows.size());
    int rows = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(total))));
    int columns = total / rows;
    if (Horizontal) std::swap(rows, columns);
    // The last column and the last window of each take the pixels that the
    // division leaves over, so the tiles cover the area exactly.
    const int width = area.width() / columns;
    int i = 0;
    for (int c = 0; c < columns && i < total; ++c) {
        const int count = c == columns - 1 ? total - i : rows;
        const int height = area.height() / count;
        const int w = c == columns - 1 ? area.width() - c * width : width;
        for (int r = 0; r < count && i < total; ++r, ++i) {
            const int h = r == count - 1 ? area.height() - r * height : height;
            windows[i]->setGeometry(area.x() + c * width, area.y() + r * height, w, h);
        }
    }
    ArrangeIcons(Area);
}

} // namespace

void TileHorizontally(QMdiArea& Area) {
    Tile(Area, true);
}

void TileVertically(QMdiArea& Area) {
    Tile(Area, false);
}

void ArrangeIcons(QMdiArea& Area) {
    const QRect area = Area.viewport()->rect();
    int x = 0;
    int y = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* w : VisibleWindows(Area)) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        if (x == 0) y -= size.height();
        w->move(x, y);
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
}

void MinimizeAll(QMdiArea& Area) {
    for (QMdiSubWindow* w : VisibleWindows(Area))
        w->showMinimized();
    ArrangeIcons(Area);
}

void ShowModified(QMdiSubWindow& Window, bool Modified) {
    if (const QWidget* child = Window.widget()) {
        const QString title = child->windowTitle() + QStringLiteral("[*]");
        if (Window.windowTitle() != title) Window.setWindowTitle(title);
    }
    Window.setWindowModified(Modified);
}

QString ShownTitle(const QWidget& Window) {
    QString title = Window.windowTitle();
    return title.replace(QStringLiteral("[*]"),
                         Window.isWindowModified() ? QStringLiteral("*") : QString());
}

void FillWindowList(QMenu& Menu, int FixedItems, QMdiArea& Area) {
    const QList<QAction*> items = Menu.actions();
    for (qsizetype i = FixedItems; i < items.size(); ++i) {
        Menu.removeAction(items[i]);
        if (items[i]->parent() == &Menu) items[i]->deleteLater();
    }
    const QList<QMdiSubWindow*> windows = Area.subWindowList();
    if (windows.isEmpty()) return;
    auto* separator = new QAction(&Menu);
    separator->setSeparator(true);
    Menu.addAction(separator);
    int number = 0;
    for (QMdiSubWindow* w : windows) {
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(++number).arg(ShownTitle(*w).replace(
                                     QStringLiteral("&"), QStringLiteral("&&"))),
                                 &Menu);
        item->setCheckable(true);
        item->setChecked(w == Area.currentSubWindow());
        QObject::connect(item, &QAction::triggered, &Area, [&Area, window = QPointer(w)] {
            if (!window) return;
            if (window->isMinimized()) window->showNormal();
            Area.setActiveSubWindow(window);
        });
        Menu.addAction(item);
    }
}

} // namespace lex
