#pragma once

#include "editor/LexLoader.h"
#include "interchange/InterchangeFormats.h"
#include "runtime/LumoMultiLexReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace lex {

class TLexDocument;
struct FileIdentity;
struct TLexColumn;

// The column of sequence SeqNo in the band of CodePage; Exception naming
// what the document lacks otherwise.
TLexColumn& LanguageColumn(const TLexDocument& Document, std::string_view CodePage,
                           std::string_view SeqNo);

// Every key of the document in tree order, each with its value in Column
// (decoded from the language's code page) and its parent key: what a
// translator receives. Language is the catalogue's locale; empty takes the
// one the code page implies.
TTranslationCatalog ExportLanguage(TLexDocument& Document, const TLexColumn& Column,
                                   std::string Language = {});
// The same written to FileName, atomically, in Format or, when none is
// given, the one the file's extension names. With Expected, a file that is
// no longer so is refused (EFileChanged) and left as it is.
void ExportLanguageToFile(TLexDocument& Document, const TLexColumn& Column,
                          const std::string& FileName, const TInterchangeFormat* Format = nullptr,
                          std::string Language = {}, const FileIdentity* Expected = nullptr);

// An entry that was not imported: its key (UTF-8), its line and why.
struct TImportProblem {
    std::string Key;
    int Line = 0;
    std::string Message;
};

// Takes a translator's work back as the values of CodePage and SeqNo
// (plural forms into the sequences after SeqNo when it is a number). Keys
// match as a merge matches them, Answer deciding before a value is
// overwritten; new keys are added with their parent; an empty translation
// adds its key but never clears a value. An entry whose text the code page cannot hold is
// left out and reported; the rest is imported.
std::vector<TImportProblem> ImportCatalog(TLexDocument& Document,
                                          const TTranslationCatalog& Catalog,
                                          std::string_view CodePage, std::string_view SeqNo,
                                          const TOverwriteAnswerer& Answer,
                                          const TLexProgressEvent& OnProgress = {});
// A translator's file read whole, in Format or the one its extension names;
// a parse error names the file.
TTranslationCatalog ReadCatalogFile(const std::string& FileName,
                                    const TInterchangeFormat* Format = nullptr);
std::vector<TImportProblem>
ImportLanguageFromFile(TLexDocument& Document, const std::string& FileName,
                       std::string_view CodePage, std::string_view SeqNo,
                       const TOverwriteAnswerer& Answer, const TInterchangeFormat* Format = nullptr,
                       const TLexProgressEvent& OnProgress = {});

// "file.po:12: \"Open\": Character U+4E00 cannot be written in code page 1252"
std::string DescribeProblem(const std::string& FileName, const TImportProblem& Problem);

} // namespace lex
