#include "InterchangeFuzzing.h"
#include "interchange/TsFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzCatalog(lex::ReadTs, lex::WriteTs, data, size);
}
