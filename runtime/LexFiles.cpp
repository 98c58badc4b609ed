#include "runtime/LexFiles.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexFormat.h"

#include <cctype>

namespace lex {
namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text.remove_prefix(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != suffix[i]) return false;
    return true;
}

} // namespace

LexFileFormat LexFileFormatOf(std::string_view FileName) {
    if (EndsWithIgnoringCase(FileName, ".lxb")) return LexFileFormat::Binary;
    if (EndsWithIgnoringCase(FileName, ".lxd")) return LexFileFormat::TextDFM;
    return LexFileFormat::TextCSV;
}

std::string_view ReaderIDOf(LexFileFormat Format) {
    switch (Format) {
    case LexFileFormat::Binary:
        return LumoBinaryID;
    case LexFileFormat::TextDFM:
        return LumoTextDFMID;
    case LexFileFormat::TextCSV:
        break;
    }
    return LumoTextCSVID;
}

std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID) {
    if (ReaderID.empty()) ReaderID = ReaderIDOf(LexFileFormatOf(FileName));
    const TLexReaderClass readerClass =
        MultiStreamLexReaderStorage ? MultiStreamLexReaderStorage->FindReader(ReaderID) : nullptr;
    if (!readerClass)
        throw Exception(FormatText("dictionary reader ID \"%s\" ,not registered!", {ReaderID}));
    return readerClass(ReadFileBytes(FileName));
}

void WriteLexFile(ILexReader& Reader, const std::string& FileName,
                  const TLexProgressEvent& OnProgress) {
    switch (LexFileFormatOf(FileName)) {
    case LexFileFormat::Binary:
        WriteBinaryLexFile(Reader, FileName, OnProgress);
        break;
    case LexFileFormat::TextDFM:
        WriteTextLexFile(Reader, FileName, EscapeDFM, ',', '"', OnProgress);
        break;
    case LexFileFormat::TextCSV:
        WriteTextLexFile(Reader, FileName, EscapeCSV, ',', '"', OnProgress);
        break;
    }
}

} // namespace lex
