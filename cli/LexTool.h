#pragma once

#include "runtime/RuntimeModules.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace lex {

// lextool's start-up: the run-time library's registries, then the file
// formats of the libraries above it that lextool reads and writes; taken
// down in reverse. Held for as long as commands run.
class LexToolModules {
public:
    LexToolModules();

private:
    // A member, so it is up before the body runs and down after it.
    RuntimeModules runtime_;
};

// The command-line companion: every subcommand in one entry point so that
// tests drive it exactly as a shell does. Returns the exit code: 0 done,
// 1 failed (one line on `err`), 2 usage error.
int RunLexTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

} // namespace lex
