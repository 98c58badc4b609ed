#pragma once

#include "interchange/TranslationCatalog.h"
#include "runtime/FileFormats.h"

#include <string>
#include <string_view>
#include <vector>

namespace lex {

// A file format of translators' tools (kind Translation): its reader and its
// writer. Readers take the whole file and raise EParserError ("%s on line
// %d") for input the format does not allow; writers give the bytes of a
// complete file. The ID is lextool's command prefix ("po").
struct TInterchangeFormat : TFileFormat {
    TTranslationCatalog (*Read)(std::string_view Bytes);
    std::string (*Write)(const TTranslationCatalog& Catalog);
};

// The interchange library's start-up: registers gettext PO, Qt TS and XLIFF
// with the file formats, after the run-time library's start-up.
void RegisterInterchangeFormats();

// The registered formats, in the order the file dialogs list them.
std::vector<const TInterchangeFormat*> InterchangeFormats();
const TInterchangeFormat* FindInterchangeFormat(std::string_view Name);
// The format a file name's extension names (ignoring case), or none.
const TInterchangeFormat* InterchangeFormatOf(std::string_view FileName);

} // namespace lex
