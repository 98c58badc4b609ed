#include "runtime/HashList.h"

#include <algorithm>
#include <cstring>

namespace lex {

uint32_t HashWeightedShift(std::string_view Key) {
    uint32_t h = 0;
    uint32_t i = 1;
    for (const char c : Key) {
        const uint32_t b = static_cast<unsigned char>(c);
        h += i * (b << (i % 32));
        ++i;
    }
    return h & 0x7FFFFFFF;
}

uint32_t HashRotateXor(std::string_view Key) {
    uint32_t h = 0;
    for (const char c : Key) {
        const uint32_t b = static_cast<unsigned char>(c);
        h = ((h >> 6) | (h << 26)) + (h ^ b);
    }
    return h & 0x7FFFFFFF;
}

int CompareKeys(std::string_view A, std::string_view B) {
    const size_t n = std::min(A.size(), B.size());
    if (n > 0) {
        if (const int c = std::memcmp(A.data(), B.data(), n)) return c;
    }
    return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

} // namespace lex
