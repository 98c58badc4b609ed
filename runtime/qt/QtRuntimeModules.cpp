#include "runtime/qt/QtRuntimeModules.h"

#include "runtime/qt/LumoMultiClassMethod.h"

namespace lex {

QtRuntimeModules::QtRuntimeModules() {
    InitializeLumoMultiClassMethod();
}

QtRuntimeModules::~QtRuntimeModules() {
    FinalizeLumoMultiClassMethod();
}

} // namespace lex
