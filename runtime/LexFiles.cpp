#include "runtime/LexFiles.h"

#include "platform/FileUtil.h"

namespace lex {

std::unique_ptr<TCustomStreamLexReader>
OpenLexFile(const std::string& FileName, std::string_view ReaderID, FileIdentity* Identity) {
    return RegisteredReader(ReaderID.empty() ? LexFormatOf(FileName).ReaderID
                                             : ReaderID)(ReadFileBytes(FileName, Identity));
}

FileIdentity WriteLexFile(ILexReader& Reader, const std::string& FileName,
                          const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return LexFormatOf(FileName).WriteFile(Reader, FileName, OnProgress, Expected);
}

} // namespace lex
