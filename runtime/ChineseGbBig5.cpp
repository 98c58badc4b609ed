#include "runtime/ChineseGbBig5.h"

#include <memory>

namespace lex {

namespace {

constexpr int GbCols = 94;
constexpr int Big5Cols = 157;

constexpr bool IsLead(uint8_t B) {
    return B >= 0x81 && B <= 0xFE;
}

// Code page 936: any byte 0x40..0xFE but 0x7F follows a lead byte.
struct TGbSource {
    static bool IsTrail(uint8_t B) { return B >= 0x40 && B <= 0xFE && B != 0x7F; }
    static int Index(uint8_t L, uint8_t T) {
        if (L < 0xA1 || L > 0xF7 || T < 0xA1 || T > 0xFE) return -1;
        return (L - 0xA1) * GbCols + (T - 0xA1);
    }
    static const uint16_t* Table() { return GbToBig5Table; }
};

// Code page 950: trail bytes 0x40..0x7E and 0xA1..0xFE; Big5 uses them all
// from lead byte 0xA1 on.
struct TBig5Source {
    static bool IsTrail(uint8_t B) { return (B >= 0x40 && B <= 0x7E) || (B >= 0xA1 && B <= 0xFE); }
    static int Index(uint8_t L, uint8_t T) {
        if (L < 0xA1 || L > 0xFE || !IsTrail(T)) return -1;
        return (L - 0xA1) * Big5Cols + (T <= 0x7E ? T - 0x40 : 63 + (T - 0xA1));
    }
    static const uint16_t* Table() { return Big5ToGbTable; }
};

// Every byte pair mapped to what the converter writes for it: the table entry
// where the pair is a code of the set, the pair itself otherwise. One look-up
// replaces the row and column tests, whose outcome (Big5's two trail ranges
// above all) changes from one character to the next and defeats prediction.
struct TPairMap {
    uint16_t Code[0x10000];
    uint8_t IsTrail[0x100];
};

template <typename TSource>
const TPairMap& PairMap() {
    static const std::unique_ptr<const TPairMap> map = [] {
        auto m = std::make_unique<TPairMap>();
        for (int pair = 0; pair < 0x10000; ++pair) {
            const int index =
                TSource::Index(static_cast<uint8_t>(pair >> 8), static_cast<uint8_t>(pair));
            m->Code[pair] = index < 0 ? static_cast<uint16_t>(pair) : TSource::Table()[index];
        }
        for (int b = 0; b < 0x100; ++b)
            m->IsTrail[b] = TSource::IsTrail(static_cast<uint8_t>(b));
        return m;
    }();
    return *map;
}

// The split follows the source set, not the process's code page, so text is
// converted the same on any machine. Every character keeps its byte count.
template <typename TSource>
std::string Convert(std::string_view Text) {
    const auto* in = reinterpret_cast<const uint8_t*>(Text.data());
    const size_t size = Text.size();
    std::string result(size, '\0');
    auto* out = reinterpret_cast<uint8_t*>(result.data());
    const TPairMap& map = PairMap<TSource>();
    size_t i = 0;
    while (i + 1 < size) {
        const uint8_t lead = in[i];
        const uint8_t trail = in[i + 1];
        if (IsLead(lead) && map.IsTrail[trail]) {
            const uint16_t code = map.Code[lead << 8 | trail];
            out[i] = static_cast<uint8_t>(code >> 8);
            out[i + 1] = static_cast<uint8_t>(code);
            i += 2;
        } else {
            out[i++] = lead;
        }
    }
    if (i < size) out[i] = in[i];
    return result;
}

template <typename TSource>
std::optional<int> IndexOf(std::string_view Code) {
    if (Code.size() < 2) return std::nullopt;
    const int index = TSource::Index(static_cast<uint8_t>(Code[0]), static_cast<uint8_t>(Code[1]));
    return index < 0 ? std::nullopt : std::optional<int>(index);
}

} // namespace

std::string TChineseGbBig5::GbToBig5(std::string_view Text) const {
    return Convert<TGbSource>(Text);
}

std::string TChineseGbBig5::Big5ToGb(std::string_view Text) const {
    return Convert<TBig5Source>(Text);
}

std::optional<int> TChineseGbBig5::GbIndex(std::string_view Code) {
    return IndexOf<TGbSource>(Code);
}

std::optional<int> TChineseGbBig5::Big5Index(std::string_view Code) {
    return IndexOf<TBig5Source>(Code);
}

std::string TChineseGbBig5::CodeToText(uint16_t Code) {
    return {static_cast<char>(Code >> 8), static_cast<char>(Code & 0xFF)};
}

} // namespace lex
