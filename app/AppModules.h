#pragma once

#include "runtime/qt/QtRuntimeModules.h"

#include <string>

namespace lex {

// The application's module initialisation, in its fixed order: the run-time
// registries (file formats, stream readers, dictionaries, window-translation
// handlers), the formats of translators' files and form files, then the
// options module, which creates LumoOption from the options file and fills
// CodePageList.
// The destructor finalises in reverse: the options are saved and destroyed,
// the code-page list released, the registries destroyed last. One holder
// lives for the whole run, from before the first window to after the last.
class AppModules {
public:
    explicit AppModules(std::string OptionsPath);
    ~AppModules();
    AppModules(const AppModules&) = delete;
    AppModules& operator=(const AppModules&) = delete;

private:
    // A member, so it is up before the body runs and down after it.
    QtRuntimeModules runtime_;
};

} // namespace lex
