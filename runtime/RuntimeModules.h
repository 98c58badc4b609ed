#pragma once

namespace lex {

// Brings up the run-time library's registries in their fixed order (the file
// formats, the stream readers of the lexicon formats among them, then the
// dictionaries) and takes them down in reverse.
// Programs and tests hold one for as long as they use the library.
class RuntimeModules {
public:
    RuntimeModules();
    ~RuntimeModules();
    RuntimeModules(const RuntimeModules&) = delete;
    RuntimeModules& operator=(const RuntimeModules&) = delete;
};

} // namespace lex
