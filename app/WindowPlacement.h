#pragma once

#include <QList>
#include <QRect>

namespace lex {

// Where the main window goes, given its last normal geometry (empty for
// none) and the available areas of the screens, the primary one first.
// Without a saved geometry it fills four fifths of the primary screen,
// centred. A saved one keeps its place while enough of it shows on some
// screen to grab it; otherwise it is pulled onto the primary screen. Either
// way it is never larger than the screen it ends up on.
QRect PlaceWindow(const QRect& Saved, const QList<QRect>& Available);

} // namespace lex
