#pragma once

#include <cstdint>

namespace lex {

// The border style of the drop-down of every language cell, by the numbers
// the options file stores (1 is not offered). The options keep any stored
// byte; the main window decides what an unknown one shows.
enum class TEditorStyle : std::uint8_t { Dialog = 0, Simple = 2, Panel = 3 };

} // namespace lex
