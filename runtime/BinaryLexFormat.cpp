#include "runtime/BinaryLexFormat.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace lex {
namespace {

[[noreturn]] void ThrowFormat(const std::string& what, size_t offset) {
    throw EReadError(std::string(SReadError) + ": " + what + " at byte offset " +
                     std::to_string(offset));
}

void AppendInt32(BufferedWriter& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    char* p = out.Claim(4);
    p[0] = static_cast<char>(u & 0xFF);
    p[1] = static_cast<char>((u >> 8) & 0xFF);
    p[2] = static_cast<char>((u >> 16) & 0xFF);
    p[3] = static_cast<char>(u >> 24);
    out.Commit(4);
}

void AppendString(BufferedWriter& out, std::string_view text) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EWriteError("A value of " + std::to_string(text.size()) +
                          " bytes is too long for a binary lexicon");
    AppendInt32(out, static_cast<int32_t>(text.size()));
    out.Append(text);
}

} // namespace

TBinaryStreamLexReader::TBinaryStreamLexReader(std::string Source)
    : TCustomStreamLexReader(std::move(Source)) {
    const int32_t fieldCount = ReadInt32("field count");
    // Every name needs at least its 4-byte length, which bounds a sane count
    // before anything is allocated for it.
    if (fieldCount < 0 || static_cast<size_t>(fieldCount) > (Buffer.size() - Pos) / 4)
        ThrowFormat("field count " + std::to_string(fieldCount) + " does not fit the data", 0);
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(fieldCount));
    for (int32_t i = 0; i < fieldCount; ++i) {
        const size_t at = Pos;
        const int32_t length = ReadInt32("field name length");
        if (length < 0) ThrowFormat("field name length " + std::to_string(length), at);
        names.emplace_back(ReadBytes(length, at));
    }
    SetFieldNames(std::move(names));
    Values.assign(FieldNames.size(), std::string_view());
    RecordCountValue = ReadInt32("record count");
    DataStart = Pos;
    // Records without fields occupy no bytes, so data after such a header
    // could never be consumed.
    if (FieldNames.empty() && DataStart < Buffer.size())
        ThrowFormat("record data after a header without fields", DataStart);
    First();
}

int32_t TBinaryStreamLexReader::ReadInt32(const char* what) {
    if (Buffer.size() - Pos < 4)
        ThrowFormat(std::string("the ") + what + " is cut short (the data ends at byte " +
                        std::to_string(Buffer.size()) + ")",
                    Pos);
    uint32_t value;
    std::memcpy(&value, Buffer.data() + Pos, 4);
    if constexpr (std::endian::native == std::endian::big) value = __builtin_bswap32(value);
    Pos += 4;
    return static_cast<int32_t>(value);
}

std::string_view TBinaryStreamLexReader::ReadBytes(int32_t length, size_t lengthOffset) {
    if (static_cast<size_t>(length) > Buffer.size() - Pos)
        ThrowFormat("length " + std::to_string(length) + " runs past the end of the data (" +
                        std::to_string(Buffer.size()) + " bytes)",
                    lengthOffset);
    const std::string_view bytes(Buffer.data() + Pos, static_cast<size_t>(length));
    Pos += static_cast<size_t>(length);
    return bytes;
}

int TBinaryStreamLexReader::ReservableRecordCount() const {
    if (FieldNames.empty()) return 0; // no record data follows such a header
    const size_t fit = (Buffer.size() - DataStart) / (4 * FieldNames.size());
    return static_cast<int>(
        std::min<size_t>(fit, static_cast<size_t>(std::max(RecordCountValue, 0))));
}

void TBinaryStreamLexReader::First() {
    TCustomStreamLexReader::First();
    Pos = DataStart;
    EofFlag = Pos >= Buffer.size();
    if (!EofFlag) ReadRecord();
}

void TBinaryStreamLexReader::ReadRecord() {
    EofFlag = Pos >= Buffer.size();
    if (EofFlag) return;
    for (size_t i = 0; i < Values.size(); ++i) {
        const size_t at = Pos;
        const int32_t length = ReadInt32("field length");
        if (length < -1) ThrowFormat("length " + std::to_string(length), at);
        Nulls[i] = length == -1;
        // A null field reads as the empty string, never as a stale value.
        Values[i] = length == -1 ? std::string_view() : ReadBytes(length, at);
    }
    ++RecNoValue;
}

void WriteBinaryLex(ILexReader& Reader, OutputStream& Stream, const TLexProgressEvent& OnProgress) {
    ReadScope scope(Reader);
    BufferedWriter out(Stream);
    const int fieldCount = Reader.FieldCount();
    AppendInt32(out, fieldCount);
    for (int i = 0; i < fieldCount; ++i)
        AppendString(out, Reader.FieldName(i));
    AppendInt32(out, Reader.RecordCount());
    ForEachAcceptedRecord(Reader, OnProgress, [&](std::span<const std::string_view> values) {
        for (int i = 0; i < fieldCount; ++i) {
            if (Reader.IsNull(i))
                AppendInt32(out, -1);
            else
                AppendString(out, values[i]);
        }
        out.FlushIfFull();
    });
    out.Flush();
}

FileIdentity WriteBinaryLexFile(ILexReader& Reader, const std::string& FileName,
                                const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return WriteFileAtomically(
        FileName, [&](OutputStream& stream) { WriteBinaryLex(Reader, stream, OnProgress); },
        Expected);
}

} // namespace lex
