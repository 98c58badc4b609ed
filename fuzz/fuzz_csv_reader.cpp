#include "ReaderFuzzing.h"
#include "runtime/TextLexFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader<lex::TTextCSVStreamLexReader>(data, size);
    return FuzzTextCheck<lex::TTextCSVStreamLexReader>(data, size, false);
}
