#pragma once

class QMdiArea;
class QMenu;

namespace lex {

// The window commands of the multi-document area that Qt lacks or names
// differently. Minimised windows keep their place in a row along the bottom.

// One window above the other, each the full width; with more than three
// windows, a grid of rows.
void TileHorizontally(QMdiArea& Area);
// Side by side, each the full height; with more than three, a grid of columns.
void TileVertically(QMdiArea& Area);
// Lines the minimised windows up along the bottom edge.
void ArrangeIcons(QMdiArea& Area);
void MinimizeAll(QMdiArea& Area);

// Replaces the window list at the end of the Windows menu, after its first
// FixedItems entries: a separator, then one checkable item per window,
// numbered from 1, the active one checked.
void FillWindowList(QMenu& Menu, int FixedItems, QMdiArea& Area);

} // namespace lex
