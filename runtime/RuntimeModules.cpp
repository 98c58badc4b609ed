#include "runtime/RuntimeModules.h"

#include "runtime/FileFormats.h"
#include "runtime/LumoMultiLex.h"
#include "runtime/LumoMultiLexReader.h"

namespace lex {

RuntimeModules::RuntimeModules() {
    InitializeFileFormats();
    InitializeLumoMultiLexReader();
    InitializeLumoMultiLex();
}

RuntimeModules::~RuntimeModules() {
    FinalizeLumoMultiLex();
    FinalizeLumoMultiLexReader();
    FinalizeFileFormats();
}

} // namespace lex
