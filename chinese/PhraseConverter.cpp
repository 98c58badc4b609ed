#include "chinese/PhraseConverter.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "runtime/ChineseGbBig5.h"

#include <Config.hpp>
#include <ConversionChain.hpp>
#include <Converter.hpp>
#include <Exception.hpp>
#include <Segmentation.hpp>
#include <Segments.hpp>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace lex {

namespace {

constexpr bool IsLead(uint8_t B) {
    return B >= 0x81 && B <= 0xFE;
}

// The trail bytes of the table converter's split, so that both converters
// see the same characters.
constexpr bool IsTrail(int CodePage, uint8_t B) {
    if (CodePage == 936) return B >= 0x40 && B <= 0xFE && B != 0x7F;
    return (B >= 0x40 && B <= 0x7E) || (B >= 0xA1 && B <= 0xFE);
}

// The double-byte characters of one code page, both ways, built once from the
// platform's converter: Unit by byte pair (0 where the pair is no character)
// and Code by UTF-16 unit (0 where the code page cannot hold it).
struct TCodePageMap {
    std::vector<char16_t> Unit = std::vector<char16_t>(0x10000);
    std::vector<uint16_t> Code = std::vector<uint16_t>(0x10000);
};

TCodePageMap BuildMap(int CodePage) {
    TCodePageMap map;
    std::u16string unit;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            DecodeTextTo(std::string_view(pair, 2), CodePage, unit);
            if (unit.size() != 1 || unit[0] == u'\uFFFD' || unit[0] < 0x80) continue;
            const int code = lead << 8 | trail;
            map.Unit[code] = unit[0];
            // User-defined characters mean nothing across code pages: they
            // take the tables' answer rather than another set's private code.
            const bool userDefined = unit[0] >= 0xE000 && unit[0] <= 0xF8FF;
            if (!userDefined && !map.Code[unit[0]]) map.Code[unit[0]] = static_cast<uint16_t>(code);
        }
    }
    return map;
}

std::string DataFile(const std::string& Name) {
    const std::filesystem::path path = std::filesystem::path(OpenCCDataDir()) / Name;
    if (!std::filesystem::is_regular_file(path))
        throw Exception("OpenCC configuration \"" + path.string() +
                        "\" not found (install OpenCC's data, or set LEXMANAGER_OPENCC_DIR)");
    return path.string();
}

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += static_cast<char>(C);
    } else if (C < 0x800) {
        Out += static_cast<char>(0xC0 | C >> 6);
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += static_cast<char>(0xE0 | C >> 12);
        Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | C >> 18);
        Out += static_cast<char>(0x80 | (C >> 12 & 0x3F));
        Out += static_cast<char>(0x80 | (C >> 6 & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    }
}

// The code point at P, whose UTF-8 comes from OpenCC and is well formed;
// advances P past it.
char32_t NextUtf8(const char*& P) {
    const auto b = static_cast<uint8_t>(*P++);
    if (b < 0x80) return b;
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
    char32_t c = b & (0x3F >> extra);
    for (int i = 0; i < extra; ++i)
        c = c << 6 | (static_cast<uint8_t>(*P++) & 0x3F);
    return c;
}

size_t CountCodePoints(const char* P) {
    size_t count = 0;
    for (; *P; ++P)
        count += (static_cast<uint8_t>(*P) & 0xC0) != 0x80;
    return count;
}

class TPhraseConverter {
public:
    TPhraseConverter(int SourceCodePage, int TargetCodePage, const char* Config, bool ToBig5)
        : sourceCodePage_(SourceCodePage), source_(BuildMap(SourceCodePage)),
          target_(BuildMap(TargetCodePage)), toBig5_(ToBig5) {
        try {
            converter_ = opencc::Config().NewFromFile(DataFile(Config));
        } catch (const opencc::Exception& e) {
            throw Exception(std::string("OpenCC: ") + e.what());
        }
    }

    std::string Convert(std::string_view Text) const {
        std::string result;
        result.reserve(Text.size());
        std::string run;             // UTF-8 of the characters since the last foreign bytes
        std::vector<uint32_t> chars; // offset of each of them in Text
        const auto* in = reinterpret_cast<const uint8_t*>(Text.data());
        size_t i = 0;
        while (i < Text.size()) {
            const uint8_t b = in[i];
            if (b == 0) { // OpenCC reads its segments up to a NUL
                Flush(Text, run, chars, result);
                result += '\0';
                ++i;
                continue;
            }
            if (b < 0x80) {
                chars.push_back(static_cast<uint32_t>(i++));
                run += static_cast<char>(b);
                continue;
            }
            // The split of the table converter: a lead and a byte after it are
            // one character, even when the code page leaves it undefined.
            const size_t length =
                IsLead(b) && i + 1 < Text.size() && IsTrail(sourceCodePage_, in[i + 1]) ? 2 : 1;
            const char16_t unit = length == 2 ? source_.Unit[b << 8 | in[i + 1]] : 0;
            if (unit) {
                chars.push_back(static_cast<uint32_t>(i));
                AppendUtf8(run, unit);
            } else {
                Flush(Text, run, chars, result);
                result.append(Text.substr(i, length));
            }
            i += length;
        }
        Flush(Text, run, chars, result);
        return result;
    }

private:
    // Converts the run phrase by phrase: OpenCC's segments keep each output
    // phrase beside its source, so a character the target cannot hold finds
    // the source character it came from.
    void Flush(std::string_view Text, std::string& Run, std::vector<uint32_t>& Chars,
               std::string& Out) const {
        if (Run.empty()) return;
        const opencc::SegmentsPtr segments = converter_->GetSegmentation()->Segment(Run);
        const opencc::SegmentsPtr converted = converter_->GetConversionChain()->Convert(segments);
        size_t first = 0; // index in Chars of the segment's first character
        for (size_t s = 0; s < segments->Length() && s < converted->Length(); ++s) {
            const size_t count = CountCodePoints(segments->At(s));
            const bool aligned = CountCodePoints(converted->At(s)) == count;
            const size_t mark = Out.size();
            size_t k = first;
            for (const char* p = converted->At(s); *p; ++k) {
                const char32_t c = NextUtf8(p);
                const uint16_t code = c < 0x10000 ? target_.Code[c] : 0;
                if (c < 0x80) {
                    Out += static_cast<char>(c);
                } else if (code) {
                    Out += static_cast<char>(code >> 8);
                    Out += static_cast<char>(code);
                } else if (aligned) {
                    Out += TableAnswer(Text, Chars, k);
                } else {
                    // A phrase of another length: no character of it stands
                    // for one of the source, so the tables convert the source.
                    Out.resize(mark);
                    for (size_t j = first; j < first + count; ++j)
                        Out += TableAnswer(Text, Chars, j);
                    break;
                }
            }
            first += count;
        }
        Run.clear();
        Chars.clear();
    }

    std::string TableAnswer(std::string_view Text, const std::vector<uint32_t>& Chars,
                            size_t K) const {
        const size_t offset = Chars[K];
        const std::string_view source =
            Text.substr(offset, static_cast<uint8_t>(Text[offset]) < 0x80 ? 1 : 2);
        return toBig5_ ? tables_.GbToBig5(source) : tables_.Big5ToGb(source);
    }

    int sourceCodePage_;
    TCodePageMap source_;
    TCodePageMap target_;
    bool toBig5_;
    TChineseGbBig5 tables_;
    opencc::ConverterPtr converter_;
};

} // namespace

std::string OpenCCDataDir() {
    if (const char* dir = std::getenv("LEXMANAGER_OPENCC_DIR"); dir && *dir) return dir;
    for (const char* dir : {"/usr/share/opencc", "/usr/local/share/opencc"})
        if (std::filesystem::is_directory(dir)) return dir;
    return "/usr/share/opencc";
}

std::string PhraseGbToBig5(std::string_view Text) {
    static const TPhraseConverter converter(936, 950, "s2twp.json", true);
    return converter.Convert(Text);
}

std::string PhraseBig5ToGb(std::string_view Text) {
    static const TPhraseConverter converter(950, 936, "tw2sp.json", false);
    return converter.Convert(Text);
}

} // namespace lex
