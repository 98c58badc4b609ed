#include "runtime/LexFiles.h"

#include "platform/FileUtil.h"

namespace lex {

std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID) {
    return RegisteredReader(ReaderID.empty() ? LexFormatOf(FileName).ReaderID
                                             : ReaderID)(ReadFileBytes(FileName));
}

void WriteLexFile(ILexReader& Reader, const std::string& FileName,
                  const TLexProgressEvent& OnProgress) {
    LexFormatOf(FileName).WriteFile(Reader, FileName, OnProgress);
}

} // namespace lex
