#include "runtime/TextLexFormat.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <algorithm>

namespace lex {

namespace {
constexpr char CR = '\r';
constexpr char LF = '\n';
} // namespace

void EscapeCSV(std::string_view Source, char Quote, std::string& Dest) {
    Dest += Quote;
    for (const char c : Source) {
        if (c == Quote) {
            Dest += Quote;
            Dest += Quote;
        } else {
            switch (c) {
            case '\0':
                Dest += "%0";
                break;
            case LF:
                Dest += "%n";
                break;
            case CR:
                Dest += "%c";
                break;
            case '%':
                Dest += "%%";
                break;
            default:
                Dest += c;
            }
        }
    }
    Dest += Quote;
}

void EscapeDFM(std::string_view Source, char Quote, std::string& Dest) {
    if (Source.empty()) {
        Dest += Quote;
        Dest += Quote;
        return;
    }
    bool inQuotes = false;
    for (const char c : Source) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32) {
            if (!inQuotes) {
                Dest += Quote;
                inQuotes = true;
            }
            Dest += c;
            if (c == Quote) Dest += Quote;
        } else {
            if (inQuotes) {
                Dest += Quote;
                inQuotes = false;
            }
            Dest += '#';
            Dest += std::to_string(byte);
        }
    }
    if (inQuotes) Dest += Quote;
}

void DecodeCSV(std::string_view Raw, char Quote, std::string& Dest) {
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
        if (Cur >= Buffer.size() || Buffer[Cur] == CR) break;
    }
    SetFieldNames(std::move(names));
    Values.assign(FieldNames.size(), std::string());
    ++Cur; // onto the LF that ends the header
    DataStart = Cur;
}

bool TCustomTextStreamLexReader::ReadField(std::string& value) {
    const size_t begin = Cur;
    const size_t end = Buffer.size();
    bool inQuotes = false;
    while (Cur < end) {
        const char c = Buffer[Cur];
        if (c == Quote)
            inQuotes = !inQuotes;
        else if (c == Separator && !inQuotes)
            break;
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
    ++Cur; // over the CR
    ++RecNoValue;
}

int TCustomTextStreamLexReader::CountRecords() const {
    long long lineEnds = 0;
    bool inQuotes = false;
    for (const char c : Buffer) {
        if (c == Quote)
            inQuotes = !inQuotes;
        else if (c == CR && !inQuotes)
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
    std::string& buffer = out.Buffer();
    const int fieldCount = Reader.FieldCount();
    for (int i = 0; i < fieldCount; ++i) {
        Escaper(Reader.FieldName(i), Quote, buffer);
        buffer += Separator;
    }
    buffer += "\r\n";
    std::vector<std::string_view> values(static_cast<size_t>(fieldCount));
    for (Reader.First(); !Reader.Eof(); Reader.Next()) {
        for (int i = 0; i < fieldCount; ++i)
            values[i] = Reader.FieldValue(i);
        bool accept = true;
        if (OnProgress)
            OnProgress(values, LexFraction(Reader.RecNo(), Reader.RecordCount()), accept);
        if (!accept) continue;
        for (int i = 0; i < fieldCount; ++i) {
            if (!Reader.IsNull(i)) Escaper(values[i], Quote, buffer);
            buffer += Separator;
        }
        buffer += "\r\n";
        out.FlushIfFull();
    }
    out.Flush();
}

void WriteTextLexFile(ILexReader& Reader, const std::string& FileName, TLexEscaper Escaper,
                      char Separator, char Quote, const TLexProgressEvent& OnProgress) {
    WriteFileAtomically(FileName, [&](OutputStream& stream) {
        WriteTextLex(Reader, stream, Escaper, Separator, Quote, OnProgress);
    });
}

} // namespace lex
