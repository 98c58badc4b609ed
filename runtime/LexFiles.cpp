#include "runtime/LexFiles.h"

#include "platform/FileUtil.h"

namespace lex {

std::string_view LexFileReaderID(std::string_view FileName, std::string_view ReaderID) {
    return ReaderID.empty() ? LexFormatOf(FileName).ID : ReaderID;
}

TLexReaderClass LexFileReaderClass(std::string_view FileName, std::string_view ReaderID) {
    return ReaderID.empty() ? LexFormatOf(FileName).ReaderClass : RegisteredReader(ReaderID);
}

std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID) {
    return LexFileReaderClass(FileName, ReaderID)(ReadFileBytes(FileName));
}

std::string LexFileDamage(std::string_view Bytes, const TLexFormat& Format) {
    return Format.Check ? Format.Check(Bytes) : std::string();
}

std::string LexFileDamage(std::string_view Bytes, std::string_view ReaderID) {
    const TLexFormat* format = LexFormatOfReader(ReaderID);
    return format ? LexFileDamage(Bytes, *format) : std::string();
}

Exception LexFileError(std::string_view FileName, std::string_view What) {
    return Exception(FormatText("Cannot load \"%s\": %s", {FileName, What}));
}

FileIdentity WriteLexFile(ILexReader& Reader, const std::string& FileName,
                          const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return LexFormatOf(FileName).WriteFile(Reader, FileName, OnProgress, Expected);
}

} // namespace lex
