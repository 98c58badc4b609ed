#include "database/PackedValues.h"

#include "platform/Exceptions.h"

#include <cstdint>
#include <cstring>

namespace lex {
namespace {

constexpr uint32_t NullBit = 0x80000000u;

uint32_t Word(const char* data, size_t index) {
    uint32_t word;
    std::memcpy(&word, data + index * sizeof word, sizeof word);
    return word;
}

} // namespace

TPackedValues::TPackedValues(std::span<const std::optional<std::string>> Values) {
    size_t bytes = 0;
    for (const auto& value : Values)
        if (value) bytes += value->size();
    if (bytes >= NullBit) throw EDatabaseError("A row of 2 GB or more cannot be held");
    const size_t header = (Values.size() + 1) * sizeof(uint32_t);
    data_ = std::make_unique_for_overwrite<char[]>(header + bytes);
    const uint32_t count = static_cast<uint32_t>(Values.size());
    std::memcpy(data_.get(), &count, sizeof count);
    uint32_t end = 0;
    for (size_t i = 0; i < Values.size(); ++i) {
        uint32_t word = end | NullBit;
        if (const auto& value = Values[i]) {
            std::memcpy(data_.get() + header + end, value->data(), value->size());
            end += static_cast<uint32_t>(value->size());
            word = end;
        }
        std::memcpy(data_.get() + (i + 1) * sizeof(uint32_t), &word, sizeof word);
    }
}

size_t TPackedValues::size() const {
    return data_ ? Word(data_.get(), 0) : 0;
}

std::optional<std::string_view> TPackedValues::operator[](size_t Index) const {
    const uint32_t word = Word(data_.get(), Index + 1);
    if (word & NullBit) return std::nullopt;
    const uint32_t start = Index == 0 ? 0 : Word(data_.get(), Index) & ~NullBit;
    const char* bytes = data_.get() + (size() + 1) * sizeof(uint32_t);
    return std::string_view(bytes + start, word - start);
}

TPackedValues::TValues TPackedValues::Unpack() const {
    TValues values(size());
    for (size_t i = 0; i < values.size(); ++i)
        if (const auto value = (*this)[i]) values[i].emplace(*value);
    return values;
}

bool TPackedValues::operator==(std::span<const std::optional<std::string>> Values) const {
    if (Values.size() != size()) return false;
    for (size_t i = 0; i < Values.size(); ++i)
        if ((*this)[i] != Values[i]) return false;
    return true;
}

} // namespace lex
