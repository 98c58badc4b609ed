#pragma once

#include "platform/FileUtil.h"
#include "runtime/FileFormats.h"
#include "runtime/LumoMultiLexReader.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// Writes every record of Reader to FileName, replacing the file atomically
// (refused when the file is no longer Expected, where given), and returns
// the identity of the file written.
using TLexFileWriter = FileIdentity (*)(ILexReader& Reader, const std::string& FileName,
                                        const TLexProgressEvent& OnProgress,
                                        const FileIdentity* Expected);
// The first fault in the structure of a file's bytes ("line 3: ..."), or empty.
using TLexChecker = std::string (*)(std::string_view Bytes);

// A lexicon file format: its ID is the reader ID its reader is registered
// under in the reader registry.
struct TLexFormat : TFileFormat {
    TLexReaderClass ReaderClass;
    TLexFileWriter WriteFile;
    TLexChecker Check; // none where the reader reports damage itself
};

// Registers the run-time library's lexicon formats, in the order the reader
// registry registers their readers; part of InitializeFileFormats().
void RegisterLexFormats();

// Every registered lexicon format, in the order of registration.
std::vector<const TLexFormat*> LexFormats();

// The format that reads and writes any extension no format lists (CSV style).
const TLexFormat& DefaultLexFormat();

// The formats as lists for people show them: the default first, then the
// others in registration order.
std::vector<const TLexFormat*> ListedLexFormats();

// The format FileName's extension names (compared ignoring case), or the
// default format.
const TLexFormat& LexFormatOf(std::string_view FileName);

// The format read by the reader registered under ReaderID (any case), or none.
const TLexFormat* LexFormatOfReader(std::string_view ReaderID);

// One file type of the file dialogs.
struct TFileDialogType {
    std::string Caption;
    std::string Patterns;      // "*.lxc;*.lng"
    const TFileFormat* Format; // none for "All" and "ANY"
};

// The file types of a dialog, numbered from 1: "All" of the lexicon formats,
// each listed lexicon format, "ANY", then each registered format of the
// Further kinds. The lexicon types come first, so that a type has the same
// number in every dialog.
std::vector<TFileDialogType> FileDialogTypes(std::initializer_list<TFileKind> Further = {});

// Types as a dialog filter, "Caption (patterns)|patterns|...".
std::string DialogFilter(const std::vector<TFileDialogType>& Types);

// The lexicon file dialogs' filter: DialogFilter(FileDialogTypes()).
std::string LexDialogFilter();

// The format of a dialog file type; none for "All", "ANY" and the types
// after them.
const TLexFormat* LexFormatOfFileType(int Type);
// The dialog file type of a format.
int LexFileTypeOf(const TLexFormat& Format);

} // namespace lex
