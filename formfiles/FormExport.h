#pragma once

#include "formfiles/FormTokenWalk.h"
#include "runtime/LumoMultiLexReader.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lex {

class TLexDocument;
struct TLexBand;
class TTreeNode;

// Writes keys into form files in place of the values of one language: every
// string equal (ignoring case) to a value of the band, in any of its
// sequences, becomes the key of that value's node.
class TFormKeyExport {
public:
    TFormKeyExport(const TLexDocument& Document, const TLexBand& Band, TFormSkipLists Skip);

    // The form text with the keys written in, counting the strings replaced.
    // Only those strings change; the layout around them stays as it was.
    std::string ExportKeysToFormText(std::string_view FormText, int& Replaced) const;
    // Rewrites one file as form text (a binary form comes back as text),
    // in place or, given a Target, into that file, which is replaced
    // atomically. In place a file in which nothing changes is left alone, and
    // one someone else changed while it was being exported is refused
    // (EFileChanged); a Target is always written. Returns the number of
    // strings replaced.
    int ExportKeysToFormFile(const std::string& Path, const std::string& Target = {}) const;

private:
    const TLexDocument& document_;
    TFormSkipLists skip_;
    // Equality key ignoring case of each value, and the node it belongs to.
    std::unordered_map<std::string, const TTreeNode*> valueIndex_;
};

// A key as a form-text string: quoted, quotes doubled, control characters as
// "#nn" codes, so that the tokenizer reads back the same bytes.
std::string QuoteFormString(std::string_view Text);

// Exports into Files in order, with progress once per file, and returns the
// number of strings replaced. A failing file ends the export: files before it
// stay rewritten, and it stays as it was. Given an OutputDir (made when
// missing), every file is written there under its own name, changed or not,
// so that the folder holds the whole set, and the originals stay as they
// are; two files of one name are refused before anything is written.
int ExportKeysToFormFiles(const TLexDocument& Document, const TLexBand& Band,
                          const std::vector<std::string>& Files, const TFormSkipLists& Skip,
                          const std::string& OutputDir = {},
                          const TLexProgressEvent& OnProgress = {});

} // namespace lex
