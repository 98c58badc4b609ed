#include "formfiles/BinaryFormText.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace lex {
namespace {

enum TValueType : uint8_t {
    vaNull,
    vaList,
    vaInt8,
    vaInt16,
    vaInt32,
    vaExtended,
    vaString,
    vaIdent,
    vaFalse,
    vaTrue,
    vaBinary,
    vaSet,
    vaLString,
    vaNil,
    vaCollection,
    vaSingle,
    vaCurrency,
    vaDate,
    vaWString,
    vaInt64,
    vaUTF8String,
};

enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

// Lists, collections and objects recurse; a hostile stream must not be able to
// run the converter off its stack.
constexpr int MaxNesting = 200;
// The designer starts a new line after this many characters of a string, and
// writes binary data this many bytes to a line.
constexpr size_t StringLineLength = 64;
constexpr size_t BinaryBytesPerLine = 32;

[[noreturn]] void ThrowFormat(const std::string& what, size_t offset) {
    throw EReadError(std::string(SReadError) + ": " + what + " at byte offset " +
                     std::to_string(offset));
}

// The float type the 80-bit extended values of a form are read into: long
// double where it holds them exactly (x86), double elsewhere.
using TExtended =
    std::conditional_t<std::numeric_limits<long double>::digits >= 64, long double, double>;

// The shortest digits that read back to the same value of Float, written with
// a decimal point so that the value stays a float for whoever compiles the
// form again ("255.0", not "255"); an exponent as "E-7" or "E20". Independent
// of the C locale, which a GUI process sets from the user's settings.
template <typename Float>
std::string FloatText(Float value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    std::string_view mantissa = text.substr(0, e);
    std::string out;
    if (mantissa.front() == '-') {
        out += '-';
        mantissa.remove_prefix(1);
    }
    std::string digits;
    for (const char c : mantissa)
        if (c != '.') digits += c;
    const char* exponentText = text.data() + e + 1;
    if (*exponentText == '+') ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, text.data() + text.size(), exponent);

    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        out += '.';
        out += digits.size() > 1 ? digits.substr(1) : "0";
        return out + "E" + std::to_string(exponent);
    }
    if (exponent < 0)
        return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    const auto whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return out + digits + std::string(whole - digits.size(), '0') + ".0";
    return out + digits.substr(0, whole) + "." + digits.substr(whole);
}

// An extended that a double holds exactly is written as that double: such a
// value mostly comes from a double property or a short decimal, and its
// double digits ("0.1") read back into the property unchanged where the
// extended's own would be twenty digits long. Any other value takes the
// shortest digits that read back into an extended as the same value.
std::string ExtendedText(TExtended value) {
    // Narrowing a value beyond double's range is undefined: test that first.
    if (std::isfinite(value) && std::fabs(value) <= std::numeric_limits<double>::max()) {
        const auto narrow = static_cast<double>(value);
        if (static_cast<TExtended>(narrow) == value) return FloatText(narrow);
    }
    return FloatText(value);
}

class TBinaryFormConverter {
public:
    explicit TBinaryFormConverter(std::string_view Data) : data_(Data) {}

    // Offsets in errors count from the start of Data, where a resource
    // header may stand before the form stream at Start.
    std::string Convert(size_t Start) {
        if (data_.substr(Start, 4) != "TPF0") ThrowFormat("missing signature TPF0", Start);
        pos_ = Start + 4;
        ConvertObject();
        return std::move(out_);
    }

private:
    std::string_view data_;
    size_t pos_ = 0;
    std::string out_;
    int nesting_ = 0; // indentation level, two spaces each
    int depth_ = 0;   // recursion depth

    const char* Take(size_t count, const char* what) {
        if (count > data_.size() - pos_) ThrowFormat("truncated " + std::string(what), pos_);
        const char* p = data_.data() + pos_;
        pos_ += count;
        return p;
    }

    uint64_t ReadUnsigned(size_t bytes, const char* what) {
        const auto* p = reinterpret_cast<const unsigned char*>(Take(bytes, what));
        uint64_t value = 0;
        for (size_t i = bytes; i-- > 0;)
            value = (value << 8) | p[i];
        return value;
    }

    uint8_t ReadByte(const char* what) { return static_cast<uint8_t>(ReadUnsigned(1, what)); }
    int32_t ReadInt32(const char* what) {
        return static_cast<int32_t>(static_cast<uint32_t>(ReadUnsigned(4, what)));
    }

    size_t ReadLength(const char* what) {
        const size_t at = pos_;
        const int32_t length = ReadInt32(what);
        if (length < 0) ThrowFormat("negative length of " + std::string(what), at);
        return static_cast<size_t>(length);
    }

    std::string_view ReadShortString(const char* what) {
        const size_t length = ReadByte(what);
        return {Take(length, what), length};
    }

    bool EndOfList() {
        if (pos_ >= data_.size()) ThrowFormat("missing end of list", pos_);
        if (data_[pos_] != vaNull) return false;
        ++pos_;
        return true;
    }

    void Enter() {
        if (++depth_ > MaxNesting)
            ThrowFormat("nesting deeper than " + std::to_string(MaxNesting), pos_);
    }

    void Indent() { out_.append(static_cast<size_t>(nesting_) * 2, ' '); }

    void NewLine() {
        out_ += '\n';
        Indent();
    }

    void ConvertObject() {
        Enter();
        uint8_t flags = 0;
        const bool prefixed = pos_ < data_.size() && (data_[pos_] & 0xF0) == 0xF0;
        if (prefixed) flags = ReadByte("filer flags") & 0x0F;
        std::string position;
        if (flags & ffChildPos) position = ReadIntegerText("child position");
        const std::string_view className = ReadShortString("class name");
        const std::string_view objectName = ReadShortString("object name");

        Indent();
        out_ += (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
        if (!objectName.empty()) {
            out_ += objectName;
            out_ += ": ";
        }
        out_ += className;
        if (flags & ffChildPos) out_ += " [" + position + "]";
        out_ += '\n';

        ++nesting_;
        while (!EndOfList())
            ConvertProperty();
        while (!EndOfList())
            ConvertObject();
        --nesting_;
        Indent();
        out_ += "end\n";
        --depth_;
    }

    void ConvertProperty() {
        const std::string_view name = ReadShortString("property name");
        Indent();
        out_ += name;
        out_ += " = ";
        ConvertValue();
        out_ += '\n';
    }

    std::string ReadIntegerText(const char* what) {
        const size_t at = pos_;
        switch (ReadByte(what)) {
        case vaInt8:
            return std::to_string(static_cast<int8_t>(ReadUnsigned(1, what)));
        case vaInt16:
            return std::to_string(static_cast<int16_t>(ReadUnsigned(2, what)));
        case vaInt32:
            return std::to_string(ReadInt32(what));
        default:
            ThrowFormat("an integer expected for " + std::string(what), at);
        }
    }

    void ConvertValue() {
        const size_t at = pos_;
        if (at >= data_.size()) ThrowFormat("truncated value", at);
        const auto type = static_cast<uint8_t>(data_[at]);
        switch (type) {
        case vaInt8:
        case vaInt16:
        case vaInt32:
            out_ += ReadIntegerText("integer");
            return;
        default:
            break;
        }
        ++pos_;
        switch (type) {
        case vaNull:
            out_ += "Null";
            break;
        case vaList:
            ConvertList();
            break;
        case vaExtended:
            out_ += ExtendedText(ReadExtended());
            break;
        case vaString:
            ConvertAnsiString(ReadShortString("string"));
            break;
        case vaLString: {
            const size_t length = ReadLength("long string");
            ConvertAnsiString({Take(length, "long string"), length});
            break;
        }
        case vaWString:
            ConvertWideString(ReadWideString());
            break;
        case vaUTF8String: {
            const size_t length = ReadLength("UTF-8 string");
            ConvertWideString(Utf8ToUtf16({Take(length, "UTF-8 string"), length}));
            break;
        }
        case vaIdent:
            out_ += ReadShortString("identifier");
            break;
        case vaFalse:
            out_ += "False";
            break;
        case vaTrue:
            out_ += "True";
            break;
        case vaNil:
            out_ += "nil";
            break;
        case vaBinary:
            ConvertBinary();
            break;
        case vaSet:
            ConvertSet();
            break;
        case vaCollection:
            ConvertCollection();
            break;
        case vaSingle: {
            const auto bits = static_cast<uint32_t>(ReadUnsigned(4, "single"));
            float value;
            std::memcpy(&value, &bits, sizeof value);
            out_ += FloatText(value) + "s";
            break;
        }
        // The designer writes a currency as its scaled 64-bit integer, which
        // every digit of is needed to give it back.
        case vaCurrency:
            out_ += std::to_string(static_cast<int64_t>(ReadUnsigned(8, "currency"))) + ".0c";
            break;
        case vaDate:
            out_ += FloatText(ReadDouble("date")) + "d";
            break;
        case vaInt64:
            out_ += std::to_string(static_cast<int64_t>(ReadUnsigned(8, "64-bit integer")));
            break;
        default:
            ThrowFormat("unknown value type " + std::to_string(type), at);
        }
    }

    double ReadDouble(const char* what) {
        const uint64_t bits = ReadUnsigned(8, what);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // 80-bit extended: a 64-bit mantissa with an explicit integer bit, then
    // sign and a 15-bit exponent biased by 16383.
    TExtended ReadExtended() {
        const uint64_t mantissa = ReadUnsigned(8, "extended");
        const auto signExponent = static_cast<uint16_t>(ReadUnsigned(2, "extended"));
        const bool negative = signExponent & 0x8000;
        const int exponent = signExponent & 0x7FFF;
        TExtended value;
        if (exponent == 0x7FFF)
            value = (mantissa << 1) == 0 ? std::numeric_limits<TExtended>::infinity()
                                         : std::numeric_limits<TExtended>::quiet_NaN();
        else
            // Denormals share the smallest exponent.
            value = std::ldexp(static_cast<TExtended>(mantissa),
                               (exponent ? exponent : 1) - 16383 - 63);
        return negative ? -value : value;
    }

    std::u16string ReadWideString() {
        const size_t count = ReadLength("wide string");
        if (count > (data_.size() - pos_) / 2) ThrowFormat("truncated wide string", pos_);
        std::u16string text(count, u'\0');
        for (char16_t& c : text)
            c = static_cast<char16_t>(ReadUnsigned(2, "wide string"));
        return text;
    }

    // Malformed sequences become U+FFFD so that a damaged string still shows.
    static std::u16string Utf8ToUtf16(std::string_view Bytes) {
        std::u16string text;
        text.reserve(Bytes.size());
        size_t i = 0;
        while (i < Bytes.size()) {
            const auto lead = static_cast<unsigned char>(Bytes[i]);
            const int extra = lead < 0x80                   ? 0
                              : lead >= 0xF0 && lead < 0xF5 ? 3
                              : lead >= 0xE0                ? 2
                              : lead >= 0xC2 && lead < 0xE0 ? 1
                                                            : -1;
            char32_t code = extra == 0   ? lead
                            : extra == 1 ? lead & 0x1F
                            : extra == 2 ? lead & 0x0F
                                         : lead & 0x07;
            bool valid = extra >= 0 && i + static_cast<size_t>(extra) < Bytes.size();
            for (int k = 1; valid && k <= extra; ++k) {
                const auto next = static_cast<unsigned char>(Bytes[i + k]);
                valid = (next & 0xC0) == 0x80;
                code = (code << 6) | (next & 0x3F);
            }
            const char32_t least[] = {0, 0x80, 0x800, 0x10000};
            if (valid &&
                (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)))
                valid = false;
            if (!valid) {
                text += u'\xFFFD';
                ++i;
                continue;
            }
            i += static_cast<size_t>(extra) + 1;
            if (code >= 0x10000) {
                code -= 0x10000;
                text += static_cast<char16_t>(0xD800 + (code >> 10));
                text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            } else {
                text += static_cast<char16_t>(code);
            }
        }
        return text;
    }

    // Printable runs go in single quotes; quotes, control characters and (for
    // wide strings) anything beyond ASCII as #nn codes. A string longer than a
    // line starts on a line of its own and continues with " +" every 64
    // characters, as the designer writes it.
    template <typename Text, typename Plain>
    void ConvertString(const Text& S, Plain IsPlain) {
        if (S.empty()) {
            out_ += "''";
            return;
        }
        ++nesting_;
        if (S.size() > StringLineLength) NewLine();
        size_t i = 0;
        size_t lineStart = 0;
        while (i < S.size()) {
            if (IsPlain(S[i])) {
                out_ += '\'';
                do {
                    out_ += static_cast<char>(S[i]);
                    ++i;
                } while (i < S.size() && IsPlain(S[i]) && i - lineStart < StringLineLength);
                out_ += '\'';
            } else {
                out_ += '#';
                out_ += std::to_string(static_cast<unsigned>(S[i]));
                ++i;
            }
            if (i - lineStart >= StringLineLength && i < S.size()) {
                out_ += " +";
                NewLine();
                lineStart = i;
            }
        }
        --nesting_;
    }

    void ConvertAnsiString(std::string_view S) {
        ConvertString(S,
                      [](char c) { return (static_cast<unsigned char>(c) >= ' ') && c != '\''; });
    }

    void ConvertWideString(const std::u16string& S) {
        ConvertString(S, [](char16_t c) { return c >= u' ' && c <= 127 && c != u'\''; });
    }

    void ConvertList() {
        Enter();
        out_ += '(';
        ++nesting_;
        while (!EndOfList()) {
            NewLine();
            ConvertValue();
        }
        --nesting_;
        out_ += ')';
        --depth_;
    }

    void ConvertBinary() {
        static constexpr char Hex[] = "0123456789ABCDEF";
        size_t count = ReadLength("binary data");
        const char* bytes = Take(count, "binary data");
        const bool multiLine = count >= BinaryBytesPerLine;
        out_ += '{';
        ++nesting_;
        while (count > 0) {
            if (multiLine) NewLine();
            const size_t chunk = count < BinaryBytesPerLine ? count : BinaryBytesPerLine;
            for (size_t k = 0; k < chunk; ++k) {
                const auto b = static_cast<unsigned char>(bytes[k]);
                out_ += Hex[b >> 4];
                out_ += Hex[b & 0x0F];
            }
            bytes += chunk;
            count -= chunk;
        }
        --nesting_;
        out_ += '}';
    }

    void ConvertSet() {
        out_ += '[';
        for (bool first = true;; first = false) {
            const std::string_view element = ReadShortString("set element");
            if (element.empty()) break;
            if (!first) out_ += ", ";
            out_ += element;
        }
        out_ += ']';
    }

    void ConvertCollection() {
        Enter();
        out_ += '<';
        ++nesting_;
        while (!EndOfList()) {
            NewLine();
            out_ += "item";
            const auto next = static_cast<uint8_t>(data_[pos_]);
            if (next == vaInt8 || next == vaInt16 || next == vaInt32)
                out_ += " [" + ReadIntegerText("item index") + "]";
            out_ += '\n';
            const size_t at = pos_;
            if (ReadByte("collection item") != vaList) ThrowFormat("an item list expected", at);
            ++nesting_;
            while (!EndOfList())
                ConvertProperty();
            --nesting_;
            Indent();
            out_ += "end";
        }
        --nesting_;
        out_ += '>';
        --depth_;
    }
};

// Byte 0xFF, a 16-bit type that must be 10, the zero-terminated name, a
// 16-bit flags word and a 32-bit size; returns where the form stream starts.
// The size is not trusted: the stream runs to the end of the data.
size_t SkipResourceHeader(std::string_view Data) {
    if (Data.size() < 3 || static_cast<uint8_t>(Data[0]) != 0xFF)
        ThrowFormat("missing resource header", 0);
    if ((static_cast<uint8_t>(Data[1]) | static_cast<uint8_t>(Data[2]) << 8) != 10)
        ThrowFormat("resource type is not 10", 1);
    const size_t nameEnd = Data.find('\0', 3);
    if (nameEnd == std::string_view::npos) ThrowFormat("unterminated resource name", 3);
    const size_t start = nameEnd + 1 + 2 + 4;
    if (start > Data.size()) ThrowFormat("truncated resource header", Data.size());
    return start;
}

} // namespace

TFormStreamFormat TestFormStreamFormat(std::string_view Data) {
    if (Data.empty()) return TFormStreamFormat::Unknown;
    if (static_cast<uint8_t>(Data[0]) == 0xFF) return TFormStreamFormat::Resource;
    if (Data.substr(0, 4) == "TPF0") return TFormStreamFormat::Binary;
    switch (Data[0]) {
    case '\t':
    case '\v':
    case '\r':
    case ' ':
    case 'I':
    case 'O':
    case 'i':
    case 'o':
        return TFormStreamFormat::Text;
    default:
        return TFormStreamFormat::Unknown;
    }
}

std::string BinaryFormToText(std::string_view Data) {
    return TBinaryFormConverter(Data).Convert(0);
}

std::string FormDataToText(std::string_view Data) {
    switch (TestFormStreamFormat(Data)) {
    case TFormStreamFormat::Resource:
        return TBinaryFormConverter(Data).Convert(SkipResourceHeader(Data));
    case TFormStreamFormat::Binary:
        return BinaryFormToText(Data);
    default:
        return std::string(Data);
    }
}

std::string ReadFormText(const std::string& Path) {
    return FormDataToText(ReadFileBytes(Path));
}

void NameFormFileInErrors(const std::string& Path, const std::function<void()>& Work) {
    const auto named = [&Path](const Exception& Error) {
        return FormatText("Form file \"%s\": %s", {Path, Error.what()});
    };
    try {
        Work();
    } catch (const EReadError& e) {
        throw EReadError(named(e));
    } catch (const EParserError& e) {
        throw EParserError(named(e));
    }
}

} // namespace lex
