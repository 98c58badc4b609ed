#pragma once

#include "platform/FileUtil.h"
#include "runtime/LumoMultiLexReader.h"

#include <string>
#include <vector>

class QWidget;

namespace lex {

class TFormLexEditor;
struct TLexBand;

// One language of the editor to a translator's file (PO, TS or XLIFF by the
// name's extension). The language and sequence come from Bands; the user
// chooses when they hold more than one column. The editor stays as it was,
// modified flag included. A file at FileName that is no longer Replacing is
// refused (EFileChanged).
void ExportTranslations(TFormLexEditor& Editor, const std::vector<TLexBand*>& Bands,
                        const std::string& FileName, const FileIdentity& Replacing,
                        QWidget* Parent);

// A translator's file back into the editor as the values of a language and
// sequence the user chooses (proposed from the file's language), in one
// merge of the document. Entries the code page cannot hold are listed in one
// message; the rest is imported.
void ImportTranslations(TFormLexEditor& Editor, const std::string& FileName,
                        const TLexProgressEvent& OnProgress, QWidget* Parent);

} // namespace lex
