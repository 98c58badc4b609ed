#pragma once

#include "runtime/LexFormats.h"

#include <memory>
#include <string>

namespace lex {

// Lexicon files by name: the extension picks the format (LexFormatOf).

// Reads a file with the reader its extension names, or with the reader
// registered under ReaderID when one is given.
std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID = {});

// Writes every record of Reader in the format FileName's extension names,
// replacing the file atomically.
void WriteLexFile(ILexReader& Reader, const std::string& FileName,
                  const TLexProgressEvent& OnProgress = {});

} // namespace lex
