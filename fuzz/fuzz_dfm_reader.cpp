#include "ReaderFuzzing.h"
#include "runtime/TextLexFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader<lex::TTextDFMStreamLexReader>(data, size);
    return FuzzTextCheck<lex::TTextDFMStreamLexReader>(data, size, true);
}
