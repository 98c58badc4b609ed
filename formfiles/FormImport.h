#pragma once

#include "formfiles/FormTokenWalk.h"
#include "runtime/LumoMultiLexReader.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace lex {

class TLexDocument;
struct TLexBand;

// What the strings of form files become: keys (CodePage empty) or the values
// of the language CodePage, each under a generated key "LexKey<n>".
struct TFormImportSettings {
    std::string CodePage;
    TFormSkipLists Skip;
};

// One import into a document, over any number of files. Every string not met
// before becomes a top-level node at the end of the tree, in file order and
// text order within a file; nothing of forms or properties is kept.
class TFormImport {
public:
    // Finds (or adds) the target band and lists what the document already
    // holds, so each file costs only its own strings.
    TFormImport(TLexDocument& Document, TFormImportSettings Settings);
    ~TFormImport();
    TFormImport(const TFormImport&) = delete;
    TFormImport& operator=(const TFormImport&) = delete;

    void ImportFormFile(const std::string& Path);
    // The same for form text already read.
    void ImportFormText(std::string_view FormText);

    TLexBand* TargetBand() const { return target_; }
    int AddedCount() const { return addedCount_; }

private:
    void AddValue(const std::string& Value);

    TLexDocument& document_;
    TFormImportSettings settings_;
    TLexBand* target_ = nullptr;
    int targetSlot_ = 0;
    // Equality keys: values by the editor's comparison, keys ignoring case.
    std::unordered_set<std::string> existingValues_;
    std::unordered_set<std::string> existingKeys_;
    int keyCounter_ = 1;
    int addedCount_ = 0;
};

// Imports Files in order, as one batch of tree changes; progress once per
// file. A failing file ends the import; what earlier files added stays.
void ImportFormFiles(TLexDocument& Document, const std::vector<std::string>& Files,
                     const TFormImportSettings& Settings, const TLexProgressEvent& OnProgress = {});

} // namespace lex
