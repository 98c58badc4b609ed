#pragma once

#include "runtime/RuntimeModules.h"

namespace lex {

// The run-time library's registries for a Qt Widgets program: those of
// RuntimeModules, then the handler registry that window translation looks
// classes up in; taken down in reverse. Hold one for as long as windows are
// translated.
class QtRuntimeModules {
public:
    QtRuntimeModules();
    ~QtRuntimeModules();
    QtRuntimeModules(const QtRuntimeModules&) = delete;
    QtRuntimeModules& operator=(const QtRuntimeModules&) = delete;

private:
    // A member, so it is up before the body runs and down after it.
    RuntimeModules runtime_;
};

} // namespace lex
