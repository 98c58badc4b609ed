#pragma once

#include "platform/FileUtil.h"
#include "platform/Streams.h"
#include "runtime/LumoMultiLexReader.h"

#include <cstdint>

namespace lex {

// The binary lexicon ("lxb", "LumoBinary"): little-endian 32-bit field count,
// the field names as length-prefixed bytes, the announced record count, then
// records of length-prefixed fields (-1 null, 0 empty) up to the end of data.
//
// The reader checks every count and length against the data it holds and
// raises EReadError naming the byte offset, so a damaged file can neither
// make it read outside its buffer nor allocate what a bad length asks for.
class TBinaryStreamLexReader : public TCustomStreamLexReader {
public:
    explicit TBinaryStreamLexReader(std::string Source);

    void First() override;
    void Next() override { ReadRecord(); }
    std::string_view FieldValue(int Index) const override { return Values[Index]; }
    // Every record takes at least a 4-byte length per field.
    int ReservableRecordCount() const override;

protected:
    virtual void ReadRecord();

private:
    int32_t ReadInt32(const char* what);
    std::string_view ReadBytes(int32_t length, size_t lengthOffset);

    std::vector<std::string_view> Values; // views into Buffer
    size_t DataStart = 0;
    size_t Pos = 0;
};

void WriteBinaryLex(ILexReader& Reader, OutputStream& Stream,
                    const TLexProgressEvent& OnProgress = {});
// Replaces FileName atomically: on any failure the old file stays as it was.
FileIdentity WriteBinaryLexFile(ILexReader& Reader, const std::string& FileName,
                                const TLexProgressEvent& OnProgress = {},
                                const FileIdentity* Expected = nullptr);

} // namespace lex
