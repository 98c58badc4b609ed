#pragma once

#include "platform/FileUtil.h"
#include "platform/Streams.h"
#include "runtime/LumoMultiLexReader.h"

namespace lex {

// The two text lexicons share one layout: a header line of field names, then
// one line per record, every field ending in the separator (outside quotes),
// every line in CR LF, a null field written as the separator alone. They
// differ in how one value is spelt:
//   CSV style ("lxc", "lng", "LumoTextCSV"): in quotes, quote doubled,
//     %% %0 %c %n for percent, NUL, CR and LF;
//   form notation ("lxd", "LumoTextDFM"): printable runs in quotes, control
//     bytes as #13 outside them.

// Encoders write the encoded form of Source at Dest, which has room for
// MaxEscapedSize bytes, and return the end of what they wrote.
using TLexEscaper = char* (*)(std::string_view Source, char Quote, char* Dest);
char* EscapeCSV(std::string_view Source, char Quote, char* Dest); // at most 2n + 2 bytes
char* EscapeDFM(std::string_view Source, char Quote, char* Dest); // at most 3n + 2 bytes
constexpr size_t MaxEscapedSize(size_t n) {
    return 3 * n + 2;
}

// Decoders turn the raw bytes of one field into its value, replacing Dest.
using TLexDecoder = void (*)(std::string_view Raw, char Quote, std::string& Dest);
void DecodeCSV(std::string_view Raw, char Quote, std::string& Dest);
void DecodeDFM(std::string_view Raw, char Quote, std::string& Dest); // EConvertError on a bad #

// Walks the buffer without ever reading outside it, whatever the lines hold;
// lines that do not have the expected shape are read as the layout implies.
class TCustomTextStreamLexReader : public TCustomStreamLexReader {
public:
    void First() override;
    void Next() override { ReadRecord(); }
    std::string_view FieldValue(int Index) const override { return Values[Index]; }

protected:
    TCustomTextStreamLexReader(std::string Source, char Separator, char Quote,
                               TLexDecoder DecodeValue);

private:
    void ReadHeader();
    // Scans one field from Cur; returns false for an empty (null) field.
    bool ReadField(std::string& value);
    void ReadRecord();
    int CountRecords() const;
    size_t SkipQuoted(size_t from) const; // the next quote at or after `from`, or the end

    std::vector<std::string> Values;
    TLexDecoder DecodeValue;
    size_t DataStart = 0;
    size_t Cur = 0;           // may pass the end by a few bytes; every read checks it
    bool lfLineEnds_ = false; // lines end in LF alone, not CR LF
    char Separator;
    char Quote;
};

class TTextCSVStreamLexReader final : public TCustomTextStreamLexReader {
public:
    explicit TTextCSVStreamLexReader(std::string Source)
        : TCustomTextStreamLexReader(std::move(Source), ',', '"', DecodeCSV) {}
};

class TTextDFMStreamLexReader final : public TCustomTextStreamLexReader {
public:
    explicit TTextDFMStreamLexReader(std::string Source)
        : TCustomTextStreamLexReader(std::move(Source), ',', '"', DecodeDFM) {}
};

void WriteTextLex(ILexReader& Reader, OutputStream& Stream, TLexEscaper Escaper, char Separator,
                  char Quote, const TLexProgressEvent& OnProgress = {});
// Replaces FileName atomically: on any failure the old file stays as it was.
FileIdentity WriteTextLexFile(ILexReader& Reader, const std::string& FileName, TLexEscaper Escaper,
                              char Separator, char Quote, const TLexProgressEvent& OnProgress = {},
                              const FileIdentity* Expected = nullptr);

} // namespace lex
