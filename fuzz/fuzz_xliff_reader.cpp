#include "InterchangeFuzzing.h"
#include "interchange/XliffFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzCatalog(lex::ReadXliff, lex::WriteXliff, data, size);
}
