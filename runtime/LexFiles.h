#pragma once

#include "platform/Exceptions.h"
#include "runtime/LexFormats.h"

#include <memory>
#include <string>

namespace lex {

// Lexicon files by name: the extension picks the format (LexFormatOf).

// The ID of the reader a file is read with: ReaderID when one is given,
// otherwise the one its extension names.
std::string_view LexFileReaderID(std::string_view FileName, std::string_view ReaderID = {});

// The reader class a file is read with: the one registered under ReaderID
// when one is given, otherwise that of the format its extension names.
TLexReaderClass LexFileReaderClass(std::string_view FileName, std::string_view ReaderID = {});

// Reads a file with the reader its extension names, or with the reader
// registered under ReaderID when one is given.
std::unique_ptr<TCustomStreamLexReader> OpenLexFile(const std::string& FileName,
                                                    std::string_view ReaderID = {});

// The first fault in the structure of Bytes, read in Format: "line 3: ...",
// or empty when there is none or the format has no check. The readers load
// a damaged text lexicon without a word, as applications expect; the tool
// and lextool check what they load.
std::string LexFileDamage(std::string_view Bytes, const TLexFormat& Format);
// The same for the format read by the reader of ReaderID; empty for a
// reader of no file format.
std::string LexFileDamage(std::string_view Bytes, std::string_view ReaderID);

// The error of a lexicon file that did not load: Cannot load "a.lxc": What.
Exception LexFileError(std::string_view FileName, std::string_view What);

// Writes every record of Reader in the format FileName's extension names,
// replacing the file atomically (EFileChanged, nothing written, when the
// file is no longer Expected) and returns the identity of the file written.
FileIdentity WriteLexFile(ILexReader& Reader, const std::string& FileName,
                          const TLexProgressEvent& OnProgress = {},
                          const FileIdentity* Expected = nullptr);

} // namespace lex
