#pragma once

#include <QIcon>

namespace lex {

// Pictures the set has none for, drawn in its style.
enum class TDrawn {
    None,
    Window,       // one window
    TiledRows,    // two windows, one above the other
    TiledColumns, // two windows side by side
    Cascade,      // three windows stepping down to the right
    Minimized,    // a row of minimised windows (title bars only)
    Form,         // a window with a few controls: a form file
    Sheet,        // a table with one column picked out: a sequence column
    BadgeGB,      // lettering for the code sets of the Chinese conversion
    BadgeBig5,
    Mirrored, // the bundled picture turned left to right
};

// A command's picture: a bundled one, else a drawn one, with an emblem.
struct TIconSpec {
    const char* Picture = nullptr; // a bundled picture, or nullptr to draw one
    const char* Emblem = nullptr;  // a bundled picture drawn small in the lower right corner
    TDrawn Drawn = TDrawn::None;
};

// The icon of a main-window action, from the Tango pictures bundled in the
// program (app/icons), so it looks the same on every desktop whatever its
// theme. Commands the set has no picture for get one of its pictures with a
// second one as an emblem, or a picture drawn in its palette. A null icon
// for an entry without a picture (the check items).
QIcon MainIcon(const TIconSpec& Entry);

} // namespace lex
