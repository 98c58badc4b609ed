#include "cli/LexTool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const lex::LexToolModules modules;
    const int code = lex::RunLexTool(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                     std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? code : 1;
}
