#include "runtime/RuntimeModules.h"

#include "runtime/LumoMultiLex.h"
#include "runtime/LumoMultiLexReader.h"

namespace lex {

RuntimeModules::RuntimeModules() {
    InitializeLumoMultiLexReader();
    InitializeLumoMultiLex();
}

RuntimeModules::~RuntimeModules() {
    FinalizeLumoMultiLex();
    FinalizeLumoMultiLexReader();
}

} // namespace lex
