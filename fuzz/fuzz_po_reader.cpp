#include "InterchangeFuzzing.h"
#include "interchange/PoFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzCatalog(lex::ReadPo, lex::WritePo, data, size);
}
