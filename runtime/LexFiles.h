#pragma once

#include "runtime/LumoMultiLexReader.h"

#include <memory>
#include <string>

namespace lex {

// Lexicon files by name: ".lxb" is binary, ".lxd" form notation, any other
// extension (".lxc", ".lng", ...) CSV style; extensions compare ignoring case.
enum class LexFileFormat { Binary, TextCSV, TextDFM };

LexFileFormat LexFileFormatOf(std::string_view FileName);
std::string_view ReaderIDOf(LexFileFormat Format);

// Reads a file with the reader its extension names, or with the reader
// registered under ReaderID when one is given.
std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID = {});

// Writes every record of Reader in the format FileName's extension names,
// replacing the file atomically.
void WriteLexFile(ILexReader& Reader, const std::string& FileName,
                  const TLexProgressEvent& OnProgress = {});

} // namespace lex
