#include "app/AppModules.h"

#include "app/LumoOption.h"
#include "formfiles/FormFileFormats.h"
#include "interchange/InterchangeFormats.h"
#include "platform/CodePageCatalog.h"

#include <utility>

namespace lex {

AppModules::AppModules(std::string OptionsPath) {
    RegisterInterchangeFormats();
    RegisterFormFileFormats();
    InitializeLumoOption(std::move(OptionsPath));
    try {
        InitializeCodePageList();
    } catch (...) {
        // The run never started: nothing the user chose needs saving.
        LumoOption.reset();
        throw;
    }
}

AppModules::~AppModules() {
    FinalizeLumoOption();
    FinalizeCodePageList();
}

} // namespace lex
