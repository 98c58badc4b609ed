#include "runtime/HashList.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lex {

namespace {
// i * (b << (i mod 32)) is b * (i << (i mod 32)) on wrapping words: the hash
// is a weighted sum, with the weights of the usual key lengths at hand.
constexpr size_t WeightCount = 256;
constexpr std::array<uint32_t, WeightCount> Weights = [] {
    std::array<uint32_t, WeightCount> weights{};
    for (uint32_t i = 0; i < WeightCount; ++i)
        weights[i] = (i + 1) << ((i + 1) % 32);
    return weights;
}();
} // namespace

uint32_t HashWeightedShift(std::string_view Key) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(Key.data());
    const size_t n = Key.size();
    const size_t tabled = std::min(n, WeightCount);
    // Four sums side by side keep the multiplies independent.
    uint32_t h0 = 0, h1 = 0, h2 = 0, h3 = 0;
    size_t i = 0;
    for (; i + 4 <= tabled; i += 4) {
        h0 += bytes[i] * Weights[i];
        h1 += bytes[i + 1] * Weights[i + 1];
        h2 += bytes[i + 2] * Weights[i + 2];
        h3 += bytes[i + 3] * Weights[i + 3];
    }
    uint32_t h = h0 + h1 + h2 + h3;
    for (; i < tabled; ++i)
        h += bytes[i] * Weights[i];
    for (; i < n; ++i) {
        const auto position = static_cast<uint32_t>(i + 1);
        h += bytes[i] * (position << (position % 32));
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
