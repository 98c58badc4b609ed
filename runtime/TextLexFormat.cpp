#include "runtime/TextLexFormat.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace lex {

namespace {
constexpr char CR = '\r';
constexpr char LF = '\n';
} // namespace

// Both encoders copy runs of bytes that need nothing in one append each.

namespace {
// The bytes EscapeCSV writes as a "%" pair, other than the quote.
constexpr std::array<char, 256> CSVEscapes = [] {
    std::array<char, 256> escapes{};
    escapes['\0'] = '0';
    escapes['\n'] = 'n';
    escapes['\r'] = 'c';
    escapes['%'] = '%';
    return escapes;
}();
// Eight bytes at a time: whether any of them equals `b`, or is below 32.
constexpr uint64_t Ones = 0x0101010101010101ULL;
constexpr uint64_t Highs = 0x8080808080808080ULL;
inline uint64_t HasByte(uint64_t x, unsigned char b) {
    const uint64_t y = x ^ (Ones * b);
    return (y - Ones) & ~y & Highs;
}
inline uint64_t HasControl(uint64_t x) {
    return (x - Ones * 32) & ~x & Highs;
}
inline uint64_t Load8(const char* p) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    return x;
}

// How far from `i` the bytes need no escape in the CSV style (a multiple of 8).
size_t PlainCSV(const char* data, size_t i, size_t n, char quote) {
    const size_t start = i;
    for (; i + 8 <= n; i += 8) {
        const uint64_t x = Load8(data + i);
        if (HasByte(x, 0) | HasByte(x, '\n') | HasByte(x, '\r') | HasByte(x, '%') |
            HasByte(x, static_cast<unsigned char>(quote)))
            break;
    }
    return i - start;
}

size_t PlainDFM(const char* data, size_t i, size_t n, char quote) {
    const size_t start = i;
    for (; i + 8 <= n; i += 8) {
        const uint64_t x = Load8(data + i);
        if (HasControl(x) | HasByte(x, static_cast<unsigned char>(quote))) break;
    }
    return i - start;
}
} // namespace

char* EscapeCSV(std::string_view Source, char Quote, char* Dest) {
    *Dest++ = Quote;
    const char* data = Source.data();
    const size_t n = Source.size();
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        i += PlainCSV(data, i, n, Quote);
        if (i == n) break;
        const char c = data[i];
        const char escape = CSVEscapes[static_cast<unsigned char>(c)];
        if (!escape && c != Quote) continue;
        std::memcpy(Dest, data + run, i - run);
        Dest += i - run;
        *Dest++ = c == Quote ? Quote : '%';
        *Dest++ = c == Quote ? Quote : escape;
        run = i + 1;
    }
    std::memcpy(Dest, data + run, n - run);
    Dest += n - run;
    *Dest++ = Quote;
    return Dest;
}

char* EscapeDFM(std::string_view Source, char Quote, char* Dest) {
    const char* data = Source.data();
    const size_t n = Source.size();
    if (n == 0) {
        *Dest++ = Quote;
        *Dest++ = Quote;
        return Dest;
    }
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 32; };
    size_t i = 0;
    while (i < n) {
        if (control(data[i])) {
            for (; i < n && control(data[i]); ++i) {
                const auto byte = static_cast<unsigned char>(data[i]);
                *Dest++ = '#';
                if (byte >= 10) *Dest++ = static_cast<char>('0' + byte / 10);
                *Dest++ = static_cast<char>('0' + byte % 10);
            }
            continue;
        }
        // A printable run in quotes, its quote characters doubled.
        *Dest++ = Quote;
        size_t run = i;
        for (; i < n; ++i) {
            i += PlainDFM(data, i, n, Quote);
            if (i == n || control(data[i])) break;
            if (data[i] == Quote) {
                std::memcpy(Dest, data + run, i + 1 - run);
                Dest += i + 1 - run;
                *Dest++ = Quote;
                run = i + 1;
            }
        }
        std::memcpy(Dest, data + run, i - run);
        Dest += i - run;
        *Dest++ = Quote;
    }
    return Dest;
}

namespace {
// A field the writer made from a value without special bytes: quotes round
// bytes that hold neither a quote nor `special`. Its value is those bytes.
bool IsPlainQuoted(std::string_view Raw, char Quote, char special) {
    if (Raw.size() < 2 || Raw.front() != Quote || Raw.back() != Quote) return false;
    const std::string_view inner = Raw.substr(1, Raw.size() - 2);
    return inner.find(Quote) == std::string_view::npos &&
           (special == Quote || inner.find(special) == std::string_view::npos);
}
} // namespace

void DecodeCSV(std::string_view Raw, char Quote, std::string& Dest) {
    if (IsPlainQuoted(Raw, Quote, '%')) {
        Dest.assign(Raw.substr(1, Raw.size() - 2));
        return;
    }
    Dest.clear();
    // A value of k quote characters is written as 2k + 2 of them; reading such
    // a run back as k keeps it unchanged (the pairing rule alone would give
    // k + 1). Nothing else the writer produces is made only of quotes.
    if (Raw.size() >= 2 && Raw.size() % 2 == 0 &&
        Raw.find_first_not_of(Quote) == std::string_view::npos) {
        Dest.assign((Raw.size() - 2) / 2, Quote);
        return;
    }
    const size_t n = Raw.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = Raw[i];
        if (c == Quote) {
            if (i + 1 < n && Raw[i + 1] == Quote) {
                Dest += Quote;
                ++i;
            }
        } else if (c == '%') {
            if (i + 1 == n) break;
            const char next = Raw[++i];
            switch (next) {
            case '0':
                Dest += '\0';
                break;
            case 'c':
                Dest += CR;
                break;
            case 'n':
                Dest += LF;
                break;
            default:
                Dest += next; // "%%", and any pair the writer never makes
            }
        } else {
            Dest += c;
        }
    }
}

void DecodeDFM(std::string_view Raw, char Quote, std::string& Dest) {
    if (IsPlainQuoted(Raw, Quote, Quote)) { // "#" inside quotes is itself
        Dest.assign(Raw.substr(1, Raw.size() - 2));
        return;
    }
    Dest.clear();
    if (Raw.size() == 2 && Raw[0] == Quote && Raw[1] == Quote) return;
    const size_t n = Raw.size();
    bool inQuotes = false;
    size_t i = 0;
    while (i < n) {
        const char c = Raw[i];
        if (c == Quote) {
            size_t run = 0;
            while (i < n && Raw[i] == Quote) {
                ++run;
                ++i;
            }
            Dest.append(inQuotes ? run / 2 : (run - 1) / 2, Quote);
            if (run % 2 == 1) inQuotes = !inQuotes;
        } else if (c == '#' && !inQuotes) {
            const size_t digitsStart = ++i;
            long long value = 0;
            while (i < n && Raw[i] >= '0' && Raw[i] <= '9') {
                value = value * 10 + (Raw[i] - '0');
                ++i;
                if (value > 0x7FFFFFFF) {
                    while (i < n && Raw[i] >= '0' && Raw[i] <= '9')
                        ++i;
                    break;
                }
            }
            const std::string_view digits = Raw.substr(digitsStart, i - digitsStart);
            if (digits.empty() || value > 0x7FFFFFFF)
                throw EConvertError(FormatText(SInvalidInteger, {digits}));
            Dest += static_cast<char>(value & 0xFF);
        } else {
            Dest += c;
            ++i;
        }
    }
}

TCustomTextStreamLexReader::TCustomTextStreamLexReader(std::string Source, char Separator,
                                                       char Quote, TLexDecoder DecodeValue)
    : TCustomStreamLexReader(std::move(Source)), DecodeValue(DecodeValue), Separator(Separator),
      Quote(Quote) {
    EofFlag = Buffer.empty();
    if (Buffer.empty()) return;
    ReadHeader();
    RecordCountValue = CountRecords();
    First();
}

void TCustomTextStreamLexReader::ReadHeader() {
    std::vector<std::string> names;
    Cur = 0;
    while (Cur < Buffer.size()) {
        ReadField(names.emplace_back());
        if (Cur >= Buffer.size() || Buffer[Cur] == CR || Buffer[Cur] == LF) break;
    }
    SetFieldNames(std::move(names));
    Values.assign(FieldNames.size(), std::string());
    // Lines may end in LF alone: files edited on Unix, or checked out by Git
    // with LF line ends, would otherwise read as one long header.
    lfLineEnds_ = Cur < Buffer.size() && Buffer[Cur] == LF;
    if (!lfLineEnds_) ++Cur; // onto the LF that ends the header
    DataStart = Cur;
}

// Inside quotes only the next quote matters: memchr finds it.
size_t TCustomTextStreamLexReader::SkipQuoted(size_t from) const {
    const void* quote = std::memchr(Buffer.data() + from, Quote, Buffer.size() - from);
    return quote ? static_cast<size_t>(static_cast<const char*>(quote) - Buffer.data())
                 : Buffer.size();
}

bool TCustomTextStreamLexReader::ReadField(std::string& value) {
    const size_t begin = Cur;
    const size_t end = Buffer.size();
    while (Cur < end) {
        const char c = Buffer[Cur];
        if (c == Quote) {
            Cur = SkipQuoted(Cur + 1); // onto the closing quote, or the end
            if (Cur == end) break;
        } else if (c == Separator) {
            break;
        }
        ++Cur;
    }
    const bool present = Cur > begin;
    if (present)
        DecodeValue(std::string_view(Buffer).substr(begin, Cur - begin), Quote, value);
    else
        value.clear();
    ++Cur; // over the separator
    return present;
}

void TCustomTextStreamLexReader::ReadRecord() {
    EofFlag = Cur + 1 >= Buffer.size();
    if (EofFlag) return;
    ++Cur; // over the LF
    for (size_t i = 0; i < Values.size(); ++i)
        Nulls[i] = !ReadField(Values[i]);
    if (!lfLineEnds_) ++Cur; // over the CR
    ++RecNoValue;
}

int TCustomTextStreamLexReader::CountRecords() const {
    const char lineEnd = lfLineEnds_ ? LF : CR;
    long long lineEnds = 0;
    for (size_t i = 0; i < Buffer.size(); ++i) {
        if (Buffer[i] == Quote)
            i = SkipQuoted(i + 1);
        else if (Buffer[i] == lineEnd)
            ++lineEnds;
    }
    // Less the header's line end; a header without one announces no records.
    return static_cast<int>(std::clamp(lineEnds - 1, 0LL, 0x7FFFFFFFLL));
}

void TCustomTextStreamLexReader::First() {
    TCustomStreamLexReader::First();
    Cur = DataStart;
    ReadRecord();
}

void WriteTextLex(ILexReader& Reader, OutputStream& Stream, TLexEscaper Escaper, char Separator,
                  char Quote, const TLexProgressEvent& OnProgress) {
    ReadScope scope(Reader);
    BufferedWriter out(Stream);
    const auto escape = [&](std::string_view value) {
        char* start = out.Claim(MaxEscapedSize(value.size()));
        out.Commit(static_cast<size_t>(Escaper(value, Quote, start) - start));
    };
    const int fieldCount = Reader.FieldCount();
    for (int i = 0; i < fieldCount; ++i) {
        escape(Reader.FieldName(i));
        out.Append(Separator);
    }
    out.Append("\r\n");
    ForEachAcceptedRecord(Reader, OnProgress, [&](std::span<const std::string_view> values) {
        for (int i = 0; i < fieldCount; ++i) {
            if (!Reader.IsNull(i)) escape(values[i]);
            out.Append(Separator);
        }
        out.Append("\r\n");
        out.FlushIfFull();
    });
    out.Flush();
}

FileIdentity WriteTextLexFile(ILexReader& Reader, const std::string& FileName, TLexEscaper Escaper,
                              char Separator, char Quote, const TLexProgressEvent& OnProgress,
                              const FileIdentity* Expected) {
    return WriteFileAtomically(
        FileName,
        [&](OutputStream& stream) {
            WriteTextLex(Reader, stream, Escaper, Separator, Quote, OnProgress);
        },
        Expected);
}

} // namespace lex
