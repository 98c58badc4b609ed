#pragma once

#include "runtime/LumoMultiLexReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lexbench {

inline constexpr size_t DefaultRecordCount = 1'000'000;

// Field positions, in the order the writers emit them.
enum Field : int { Key, CodePage, SeqNo, DisplayValue, CatalogID, FieldTotal };

// A synthetic lexicon held as one byte arena plus five spans per record, so a
// million records cost about their text and no per-field allocation.
class GeneratedLexicon {
public:
    // The same seed always gives the same records, byte for byte.
    explicit GeneratedLexicon(size_t Count = DefaultRecordCount, uint64_t Seed = 20240521);

    size_t Size() const { return records_.size(); }
    std::string_view Value(size_t Record, int F) const {
        const Span s = records_[Record][F];
        return s.Length < 0 ? std::string_view()
                            : std::string_view(text_).substr(s.Offset, size_t(s.Length));
    }
    bool IsNull(size_t Record, int F) const { return records_[Record][F].Length < 0; }

private:
    struct Span {
        uint32_t Offset;
        int32_t Length; // -1: null
    };
    Span Append(std::string_view Bytes);

    std::string text_;
    std::vector<std::array<Span, FieldTotal>> records_;
};

// Feeds a generated lexicon to writers and dictionaries without a file.
class GeneratedLexReader final : public lex::TCustomLexReader {
public:
    explicit GeneratedLexReader(const GeneratedLexicon& Lexicon) : lexicon_(Lexicon) {}

    void First() override { current_ = 0; }
    void Next() override { ++current_; }
    bool Eof() const override { return current_ >= lexicon_.Size(); }
    int FieldCount() const override { return FieldTotal; }
    int RecordCount() const override { return static_cast<int>(lexicon_.Size()); }
    int RecNo() const override { return static_cast<int>(current_) + 1; }
    std::string_view FieldName(int Index) const override;
    std::string_view FieldValue(int Index) const override {
        return lexicon_.Value(current_, Index);
    }
    bool IsNull(int Index) const override { return lexicon_.IsNull(current_, Index); }

private:
    const GeneratedLexicon& lexicon_;
    size_t current_ = 0;
};

// A small deterministic generator (splitmix64), independent of the standard
// library's distributions so every platform builds the same lexicon.
class Random {
public:
    explicit Random(uint64_t Seed) : state_(Seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [Low, High].
    uint32_t Between(uint32_t Low, uint32_t High) {
        return Low + static_cast<uint32_t>(Next() % (uint64_t(High) - Low + 1));
    }
    bool Chance(uint32_t PerThousand) { return Next() % 1000 < PerThousand; }

private:
    uint64_t state_;
};

} // namespace lexbench
