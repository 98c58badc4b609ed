#pragma once

#include "runtime/LexFormats.h"

#include <memory>
#include <string>

namespace lex {

// Lexicon files by name: the extension picks the format (LexFormatOf).

// Reads a file with the reader its extension names, or with the reader
// registered under ReaderID when one is given; Identity, when given, gets
// what was read.
std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID = {},
                                                    FileIdentity* Identity = nullptr);

// Writes every record of Reader in the format FileName's extension names,
// replacing the file atomically (EFileChanged, nothing written, when the
// file is no longer Expected) and returns the identity of the file written.
FileIdentity WriteLexFile(ILexReader& Reader, const std::string& FileName,
                          const TLexProgressEvent& OnProgress = {},
                          const FileIdentity* Expected = nullptr);

} // namespace lex
