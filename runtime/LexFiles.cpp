#include "runtime/LexFiles.h"

#include "platform/FileUtil.h"

namespace lex {

std::string_view LexFileReaderID(std::string_view FileName, std::string_view ReaderID) {
    return ReaderID.empty() ? LexFormatOf(FileName).ReaderID : ReaderID;
}

std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID) {
    return RegisteredReader(LexFileReaderID(FileName, ReaderID))(ReadFileBytes(FileName));
}

std::string LexFileDamage(std::string_view Bytes, std::string_view ReaderID) {
    const TLexFormat* format = LexFormatOfReader(ReaderID);
    return format && format->Check ? format->Check(Bytes) : std::string();
}

Exception LexFileError(std::string_view FileName, std::string_view What) {
    return Exception(FormatText("Cannot load \"%s\": %s", {FileName, What}));
}

FileIdentity WriteLexFile(ILexReader& Reader, const std::string& FileName,
                          const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return LexFormatOf(FileName).WriteFile(Reader, FileName, OnProgress, Expected);
}

} // namespace lex
