#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// The values of one row, any of them null, in a single allocation: a cached
// table of a million rows must not cost a million times five strings.
class TPackedValues {
public:
    using TValues = std::vector<std::optional<std::string>>;

    TPackedValues() = default;
    explicit TPackedValues(std::span<const std::optional<std::string>> Values);

    size_t size() const;
    // The value of field Index; nullopt when it is null.
    std::optional<std::string_view> operator[](size_t Index) const;
    TValues Unpack() const;
    bool operator==(std::span<const std::optional<std::string>> Values) const;

private:
    // The count, then for each value where its bytes end (a null ends where
    // the value before it did, and has the top bit set), then the bytes.
    std::unique_ptr<char[]> data_;
};

} // namespace lex
