// Compiled through `pkg-config lexruntime` against the installed library with
// every installed header of it included, so that a public header needing one
// left out of the install fails here.
#include "InstalledHeaders.h"

#include <iostream>

int main() {
    const lex::RuntimeModules modules;
    lex::TLumoMultiStreamLex lexicon;
    lexicon.Dictionary.ReadData("\"LexKey\",\"CodePage\",\"SeqNo\",\"DisplayValue\",\r\n"
                                "\"&Open\",\"1252\",\"0\",\"&Ouvrir\",\r\n");
    std::cout << lexicon.Translate("&Open", "1252", "0") << ' '
              << lexicon.Translate("&Close", "1252", "0") << '\n';
}
