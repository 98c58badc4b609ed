#include "chinese/PhraseConverter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Text without a byte above ASCII holds no Chinese character and must come
// back as it is in both directions; anything else must merely convert.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string_view text(reinterpret_cast<const char*>(Data), Size);
    const bool ascii = std::all_of(Data, Data + Size, [](uint8_t B) { return B < 0x80; });
    for (const std::string& out : {lex::PhraseGbToBig5(text), lex::PhraseBig5ToGb(text)}) {
        if (ascii && out != text) __builtin_trap();
    }
    return 0;
}
