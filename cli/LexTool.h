#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace lex {

// The command-line companion: every subcommand in one entry point so that
// tests drive it exactly as a shell does. Returns the exit code: 0 done,
// 1 failed (one line on `err`), 2 usage error.
int RunLexTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

} // namespace lex
