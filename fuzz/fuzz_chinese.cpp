#include "runtime/ChineseGbBig5.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Every character keeps its byte count in either direction, so the output is
// exactly as long as the input; text without a lead byte comes back as it is.
// (A byte below 0x80 may still change: Big5 uses 0x40..0x7E as trail bytes.)
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    const bool hasLead = std::any_of(Data, Data + Size, [](uint8_t B) { return B >= 0x81; });
    const lex::TChineseGbBig5 converter;
    for (const std::string& out : {converter.GbToBig5(text), converter.Big5ToGb(text)}) {
        if (out.size() != Size) __builtin_trap();
        if (!hasLead && out != text) __builtin_trap();
    }
    return 0;
}
