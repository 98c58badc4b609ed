#pragma once

#include <string>
#include <vector>

namespace lex {

// What the command line asks to open besides the new editor: "NAME /F" a
// lexicon file, "NAME /D" a database table.
struct TCommandLine {
    enum class Kind { None, File, Table };
    Kind kind = Kind::None;
    std::string name;
    bool operator==(const TCommandLine&) const = default;
};

// Args exclude the program name. Only the first two count: fewer gives None,
// as does a second argument other than "/F" or "/D" (compared ignoring case);
// arguments after the switch are ignored.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

} // namespace lex
