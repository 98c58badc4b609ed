#pragma once

#include <cstdlib>
#include <string>

namespace lex::test {

// The process code page a test program runs under, from LEX_TEST_CODEPAGE:
// ctest runs such a program once per code page (a process reads its code
// page once). Made the process's before anything asks for it; empty when the
// variable is not set.
inline const std::string TestCodePage = [] {
    const char* codePage = std::getenv("LEX_TEST_CODEPAGE");
    if (!codePage) return std::string();
    setenv("LEXMANAGER_CODEPAGE", codePage, 1);
    return std::string(codePage);
}();

} // namespace lex::test
