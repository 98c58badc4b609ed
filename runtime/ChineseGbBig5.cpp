#include "runtime/ChineseGbBig5.h"

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

// The split follows the source set, not the process's code page, so text is
// converted the same on any machine. Every character keeps its byte count.
template <typename TSource>
std::string Convert(std::string_view Text) {
    const auto* in = reinterpret_cast<const uint8_t*>(Text.data());
    const size_t size = Text.size();
    std::string result(size, '\0');
    auto* out = reinterpret_cast<uint8_t*>(result.data());
    const uint16_t* table = TSource::Table();
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = in[i];
        if (!IsLead(lead) || i + 1 == size || !TSource::IsTrail(in[i + 1])) {
            out[i++] = lead;
            continue;
        }
        const uint8_t trail = in[i + 1];
        const int index = TSource::Index(lead, trail);
        if (index >= 0) {
            const uint16_t code = table[index];
            out[i] = static_cast<uint8_t>(code >> 8);
            out[i + 1] = static_cast<uint8_t>(code);
        } else {
            out[i] = lead;
            out[i + 1] = trail;
        }
        i += 2;
    }
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
