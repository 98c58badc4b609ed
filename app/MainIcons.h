#pragma once

#include <QIcon>
#include <string_view>

namespace lex {

// The icon of a main-window action by its name, from the Tango pictures
// bundled in the program (app/icons), so it looks the same on every desktop
// whatever its theme. Commands the set has no picture for get one of its
// pictures with a second one as an emblem, or a picture drawn in its
// palette. A null icon for a name without a picture (the check items).
QIcon MainActionIcon(std::string_view ActionName);

} // namespace lex
