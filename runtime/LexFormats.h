#pragma once

#include "platform/FileUtil.h"
#include "runtime/LumoMultiLexReader.h"

#include <span>
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

// One lexicon file format: all that the file functions, the reader registry,
// lextool and the file dialogs know of it. A new format is one more entry in
// LexFormats().
struct TLexFormat {
    std::string_view ReaderID;
    std::string_view Extensions;  // without dots, ';' between; the first is the default
    std::string_view FilterName;  // the file dialogs' caption of the type
    std::string_view Description; // for help texts
    TLexReaderClass ReaderClass;
    TLexFileWriter WriteFile;
    TLexChecker Check; // none where the reader reports damage itself

    std::vector<std::string_view> ExtensionList() const;
};

// Every format, in the order the reader registry registers them.
std::span<const TLexFormat> LexFormats();

// The format that reads and writes any extension no format lists (CSV style).
const TLexFormat& DefaultLexFormat();

// The formats as lists for people show them: the default first, then the
// others in table order.
std::vector<const TLexFormat*> ListedLexFormats();

// The format FileName's extension names (compared ignoring case), or the
// default format.
const TLexFormat& LexFormatOf(std::string_view FileName);

// The format read by the reader registered under ReaderID (any case), or none.
const TLexFormat* LexFormatOfReader(std::string_view ReaderID);

// The file dialogs' filter, "Text|patterns|...": "All" of the formats, each
// listed format, then "ANY". Its file types are numbered from 1 in that order.
std::string LexDialogFilter();

// The format of a dialog file type; none for "All" and "ANY".
const TLexFormat* LexFormatOfFileType(int Type);
// The dialog file type of a format.
int LexFileTypeOf(const TLexFormat& Format);

} // namespace lex
