#pragma once

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QString;
class QWidget;

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

// The window's frame shows its child's title with Qt's modified mark: a "*"
// while Modified. The child's own title stays as it is.
void ShowModified(QMdiSubWindow& Window, bool Modified);
// A title as the title bar shows it: the "[*]" placeholder becomes "*" for
// a modified window and goes otherwise.
QString ShownTitle(const QWidget& Window);

// Replaces the window list at the end of the Windows menu, after its first
// FixedItems entries: a separator, then one checkable item per window,
// numbered from 1, the active one checked, each with its shown title (an
// "&" in a file name is text, not an accelerator).
void FillWindowList(QMenu& Menu, int FixedItems, QMdiArea& Area);

} // namespace lex
