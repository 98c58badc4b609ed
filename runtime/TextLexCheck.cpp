#include "runtime/TextLexCheck.h"

#include "platform/Exceptions.h"

#include <array>
#include <cstring>

namespace lex {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

// What a byte means outside quotes.
enum TByteKind : unsigned char { Plain, QuoteByte, SeparatorByte, CRByte, LFByte, HashByte };

// One pass over the bytes, a line at a time, splitting fields as the readers
// do: only a separator outside quotes ends a field, a quote character flips
// the quoting wherever it stands.
class TTextLexCheck {
public:
    TTextLexCheck(std::string_view Bytes, char Separator, char Quote, bool HashCodes)
        : bytes_(Bytes), quote_(Quote) {
        kinds_[static_cast<unsigned char>(CR)] = CRByte;
        kinds_[static_cast<unsigned char>(LF)] = LFByte;
        if (HashCodes) kinds_[static_cast<unsigned char>('#')] = HashByte;
        kinds_[static_cast<unsigned char>(Separator)] = SeparatorByte;
        kinds_[static_cast<unsigned char>(Quote)] = QuoteByte;
    }

    std::string Run() {
        if (bytes_.empty()) return {};
        std::string fault;
        if (!ScanLine(fault)) return fault;
        if (trailing_) return Fault("the line's last field does not end with a separator");
        if (fields_ == 0) return Fault("the header line names no field");
        const int headerFields = fields_;
        const bool crlf = end_ == TLineEnd::CRLF;
        while (end_ != TLineEnd::None) {
            ++line_;
            if (!ScanLine(fault)) return fault;
            if (end_ == TLineEnd::None && fields_ == 0) {
                if (!trailing_) break; // the file ends with the last line end
                return Fault("bytes after the last record form no record");
            }
            if (fields_ == 0 && !trailing_) return Fault("the line is empty");
            const int fields = fields_ + (trailing_ ? 1 : 0);
            if (fields != headerFields)
                return Fault(FormatText("%s %s where the header has %s",
                                        {std::to_string(fields), fields == 1 ? "field" : "fields",
                                         std::to_string(headerFields)}));
            if (trailing_) return Fault("the line's last field does not end with a separator");
            if (end_ == TLineEnd::LF && crlf)
                return Fault("the line ends in LF alone where the header's ends in CR LF");
            if (end_ == TLineEnd::CRLF && !crlf)
                return Fault("the line ends in CR LF where the header's ends in LF alone");
        }
        return {};
    }

private:
    enum class TLineEnd { None, LF, CRLF };

    std::string Fault(std::string_view What) const {
        return FormatText("line %s: %s", {std::to_string(line_), What});
    }

    // Reads the line from pos_ up to and over its end, counting the fields
    // that end in a separator and noting bytes after the last one; false with
    // the fault when the line itself is broken.
    bool ScanLine(std::string& fault) {
        const size_t n = bytes_.size();
        fields_ = 0;
        size_t fieldStart = pos_;
        while (pos_ < n) {
            switch (kinds_[static_cast<unsigned char>(bytes_[pos_])]) {
            case Plain:
                ++pos_;
                break;
            case QuoteByte:
                if (!SkipQuoted()) {
                    fault = Fault("the quoted value that starts here is never closed");
                    return false;
                }
                break;
            case SeparatorByte:
                ++fields_;
                fieldStart = ++pos_;
                break;
            case HashByte:
                if (!SkipHashCode(fault)) return false;
                break;
            case CRByte:
                if (pos_ + 1 == n || bytes_[pos_ + 1] != LF) {
                    fault = Fault("a CR without the LF of a line end");
                    return false;
                }
                trailing_ = pos_ > fieldStart;
                pos_ += 2;
                end_ = TLineEnd::CRLF;
                return true;
            case LFByte:
                trailing_ = pos_ > fieldStart;
                ++pos_;
                end_ = TLineEnd::LF;
                return true;
            }
        }
        trailing_ = pos_ > fieldStart;
        end_ = TLineEnd::None;
        return true;
    }

    // From an opening quote to past its closing one; false when the file or
    // the line ends first (writers spell line ends inside values as codes,
    // so a raw one there means a quote has gone missing).
    bool SkipQuoted() {
        const char* data = bytes_.data();
        const size_t from = pos_ + 1;
        const void* close = std::memchr(data + from, quote_, bytes_.size() - from);
        if (!close) return false;
        const size_t closeAt = static_cast<size_t>(static_cast<const char*>(close) - data);
        if (std::memchr(data + from, LF, closeAt - from)) return false;
        pos_ = closeAt + 1;
        return true;
    }

    // A "#" outside quotes and the decimal code after it, which the form
    // notation's reader turns into a byte.
    bool SkipHashCode(std::string& fault) {
        const size_t n = bytes_.size();
        const size_t digits = ++pos_;
        long long value = 0;
        for (; pos_ < n && bytes_[pos_] >= '0' && bytes_[pos_] <= '9'; ++pos_)
            if (value <= 0x7FFFFFFF) value = value * 10 + (bytes_[pos_] - '0');
        if (pos_ > digits && value <= 0x7FFFFFFF) return true;
        fault = Fault(FormatText(SInvalidInteger, {bytes_.substr(digits, pos_ - digits)}));
        return false;
    }

    std::string_view bytes_;
    char quote_;
    std::array<TByteKind, 256> kinds_{};
    size_t pos_ = 0;
    int line_ = 1;
    int fields_ = 0;        // separators of the line outside quotes
    bool trailing_ = false; // bytes after the line's last separator
    TLineEnd end_ = TLineEnd::None;
};

} // namespace

std::string FindTextLexDamage(std::string_view Bytes, char Separator, char Quote, bool HashCodes) {
    return TTextLexCheck(Bytes, Separator, Quote, HashCodes).Run();
}

} // namespace lex
