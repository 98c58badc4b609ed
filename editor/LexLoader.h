#pragma once

#include "platform/FileUtil.h"
#include "platform/MessageBox.h"
#include "runtime/LumoMultiLexReader.h"

#include <functional>
#include <string>
#include <string_view>

namespace lex {

class TLexDocument;
struct TLexColumn;
struct TLexEditorOptions;

// A record whose cell already holds a value: its key met again (equal but
// for case, or twice in one source) with another value, or another key's
// record for the same cell.
struct TOverwriteQuestion {
    const TLexColumn& Column;
    std::string_view OldKey;
    std::string_view NewKey;
    std::string_view OldValue;
    std::string_view NewValue;
};
enum class TOverwriteAnswer {
    Overwrite,
    Keep,
    OverwriteAll, // and ask no more in this load or merge
};
// Who answers the question: the window asks the user, lextool answers from
// its options. A load or merge without an answerer overwrites.
using TOverwriteAnswerer = std::function<TOverwriteAnswer(const TOverwriteQuestion&)>;

// The question as a window asks it, in UTF-8: the interface's texts in its
// language, each value decoded with its band's code page, the keys with the
// process's.
struct TOverwriteMessage {
    std::string Text;
    std::string Caption;
};
TOverwriteMessage OverwriteMessage(const TLexDocument& Document,
                                   const TOverwriteQuestion& Question);

// Loading and merging. Every source goes through one record loop: each
// record finds or makes its node, language band and sequence column, and
// its display value goes into the cell; afterwards the parent keys
// ("CatalogID") build the tree.

// Empties the document and loads Reader; the document is unmodified after.
void LoadFromReader(TLexDocument& Document, ILexReader& Reader, const TOverwriteAnswerer& Answer,
                    const TLexProgressEvent& OnProgress = {});
// Merges Reader into the document as one undo step.
void MergeFromReader(TLexDocument& Document, ILexReader& Reader, const TOverwriteAnswerer& Answer,
                     const TLexProgressEvent& OnProgress = {});
// Binds the document to FileName and loads it; a load that fails leaves
// what was read but unbinds the document.
void OpenFile(TLexDocument& Document, const std::string& FileName, const TOverwriteAnswerer& Answer,
              const TLexProgressEvent& OnProgress = {});
void ImportFile(TLexDocument& Document, const std::string& FileName,
                const TOverwriteAnswerer& Answer, const TLexProgressEvent& OnProgress = {});
// Reads FileName and hands Use its reader; every error names the file and
// keeps its type. A text lexicon whose structure is damaged is used as it
// reads, then its first fault is raised ("line 3: ..."), unless the
// document's options are lenient. Identity, when given, receives what was
// read.
void UseFileReader(const TLexDocument& Document, const std::string& FileName,
                   const std::function<void(ILexReader&)>& Use, FileIdentity* Identity = nullptr);
// Reloads the bound file when the document's check offers it and the user
// wants it (TLexDocument::OfferReload).
void CheckFileOnDisk(TLexDocument& Document, const TOverwriteAnswerer& Answer,
                     const TLexProgressEvent& OnProgress = {});

// The fields of a reader by name: LexKey, CodePage, SeqNo, DisplayValue,
// CatalogID, each -1 when absent.
struct TRecordFields {
    int Index[5] = {-1, -1, -1, -1, -1};
};
TRecordFields LocateRecordFields(const ILexReader& Reader);
// The current record's texts of those fields; an absent field's text is
// left as it was.
void ReadRecordFields(const ILexReader& Reader, const TRecordFields& Fields,
                      std::string_view (&Values)[5]);
// Refuses (message, then EAbort) a reader without LexKey, or with CodePage but
// without DisplayValue.
void CheckRecordFields(const TRecordFields& Fields, TWindowHandle Owner,
                       const TLexEditorOptions& Options);

} // namespace lex
