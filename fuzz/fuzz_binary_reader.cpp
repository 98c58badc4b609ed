#include "ReaderFuzzing.h"
#include "runtime/BinaryLexFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzReader<lex::TBinaryStreamLexReader>(data, size);
}
