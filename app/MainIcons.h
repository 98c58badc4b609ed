#pragma once

#include <QIcon>
#include <string_view>

namespace lex {

// The icon of a main-window action by its name: the desktop theme's icon
// where one fits, else the style's, else a small lettered badge, so every
// toolbar button shows a picture even on a bare display.
QIcon MainActionIcon(std::string_view ActionName);

} // namespace lex
