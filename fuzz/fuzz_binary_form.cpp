#include "formfiles/BinaryFormText.h"
#include "platform/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Any bytes, bare or resource-wrapped: a form text or an EReadError, never a
// crash, a read outside the buffer or a runaway recursion.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        lex::FormDataToText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const lex::EReadError&) {
    }
    return 0;
}
