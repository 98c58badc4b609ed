#include "formfiles/FormImport.h"

#include "editor/LexDocument.h"
#include "formfiles/BinaryFormText.h"
#include "platform/TextCompare.h"

namespace lex {

TFormImport::TFormImport(TLexDocument& Document, TFormImportSettings Settings)
    : document_(Document), settings_(std::move(Settings)) {
    TLexTree& tree = document_.Tree();
    const bool asValue = !settings_.CodePage.empty();
    if (!asValue) {
        target_ = tree.Band(0);
    } else {
        for (int i = 1; i < tree.BandCount() && !target_; ++i)
            if (document_.CompareLexText(TLexDocument::BandCodePage(*tree.Band(i)),
                                         settings_.CodePage) == 0)
                target_ = tree.Band(i);
        if (!target_) target_ = document_.AddLanguageBand(settings_.CodePage);
        // A band may have lost all its sequences; the values need one.
        if (target_->ColumnCount() == 0) document_.AddSequenceColumn(target_, "0");
    }
    targetSlot_ = target_->Column(0)->Index();

    const bool caseSensitive = document_.Options().CaseSensitive;
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node)) {
        if (asValue) existingKeys_.insert(AnsiEqualityKey(document_.Key(node), false));
        for (int i = 0; i < target_->ColumnCount(); ++i) {
            const std::string_view value = tree.Value(node, target_->Column(i)->Index());
            if (!value.empty()) existingValues_.insert(AnsiEqualityKey(value, caseSensitive));
        }
    }
}

TFormImport::~TFormImport() = default;

void TFormImport::ImportFormFile(const std::string& Path) {
    NameFormFileInErrors(Path, [&] { ImportFormText(ReadFormText(Path)); });
}

void TFormImport::ImportFormText(std::string_view FormText) {
    WalkFormText(FormText, settings_.Skip,
                 [this](const TFormValue& Value, const TFormTextParser&) { AddValue(Value.Text); });
}

void TFormImport::AddValue(const std::string& Value) {
    if (Value.empty()) return;
    if (!existingValues_.insert(AnsiEqualityKey(Value, document_.Options().CaseSensitive)).second)
        return;
    if (target_->Index() == 0) {
        document_.AppendNode(Value);
    } else {
        // Keys are unique ignoring case, so "LexKey1" is taken by "lexkey1" too.
        std::string key;
        for (;; ++keyCounter_) {
            key = "LexKey" + std::to_string(keyCounter_);
            if (existingKeys_.insert(AnsiEqualityKey(key, false)).second) break;
        }
        TTreeNode* node = document_.AppendNode(key);
        document_.SetNodeValue(node, targetSlot_, Value);
    }
    ++addedCount_;
}

void ImportFormFiles(TLexDocument& Document, const std::vector<std::string>& Files,
                     const TFormImportSettings& Settings, const TLexProgressEvent& OnProgress) {
    if (Files.empty()) return;
    TLexTreeUpdate update(Document.Tree());
    const TLexDocument::TUndoScope step(Document, "Import");
    TFormImport import(Document, Settings);
    for (std::size_t i = 0; i < Files.size(); ++i) {
        import.ImportFormFile(Files[i]);
        ReportProgress(OnProgress, static_cast<double>(i + 1) / static_cast<double>(Files.size()));
    }
}

} // namespace lex
