#include "formfiles/FormExport.h"

#include "editor/LexDocument.h"
#include "formfiles/BinaryFormText.h"
#include "platform/Exceptions.h"
#include "platform/FileUtil.h"
#include "platform/TextCompare.h"

#include <filesystem>

namespace lex {

namespace {
bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

// The target of each file: empty for in place (no OutputDir, or the file
// already lies there), otherwise its name in OutputDir.
std::vector<std::string> ExportTargets(const std::vector<std::string>& Files,
                                       const std::string& OutputDir) {
    namespace fs = std::filesystem;
    std::vector<std::string> targets(Files.size());
    if (OutputDir.empty()) return targets;
    std::error_code error;
    std::unordered_map<std::string, std::size_t> taken;
    for (std::size_t i = 0; i < Files.size(); ++i) {
        const fs::path target =
            (fs::path(OutputDir) / fs::path(Files[i]).filename()).lexically_normal();
        const auto [other, added] = taken.emplace(target.string(), i);
        if (!added)
            throw EFCreateError(
                FormatText("Form files \"%s\" and \"%s\" would both be written to \"%s\"",
                           {Files[other->second], Files[i], target.string()}));
        if (!fs::equivalent(target, Files[i], error)) targets[i] = target.string();
    }
    fs::create_directories(OutputDir, error);
    if (error)
        throw EFCreateError(
            FormatText("Cannot create folder \"%s\". %s", {OutputDir, error.message()}));
    return targets;
}
} // namespace

std::string QuoteFormString(std::string_view Text) {
    std::string quoted;
    quoted.reserve(Text.size() + 2);
    bool inQuotes = false;
    for (const char c : Text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32) {
            if (inQuotes) quoted += '\'';
            inQuotes = false;
            quoted += '#';
            quoted += std::to_string(code);
            continue;
        }
        if (!inQuotes) quoted += '\'';
        inQuotes = true;
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    if (inQuotes) quoted += '\'';
    return Text.empty() ? "''" : quoted;
}

TFormKeyExport::TFormKeyExport(const TLexDocument& Document, const TLexBand& Band,
                               TFormSkipLists Skip)
    : document_(Document), skip_(std::move(Skip)) {
    const TLexTree& tree = document_.Tree();
    for (TTreeNode* node = tree.FirstNode(); node; node = TLexTree::NextInTreeOrder(node))
        for (int i = 0; i < Band.ColumnCount(); ++i) {
            const std::string_view value = tree.Value(node, Band.Column(i)->Index());
            // Empty values never match: the walk hands on no empty string.
            if (!value.empty()) valueIndex_.emplace(AnsiEqualityKey(value, false), node);
        }
}

std::string TFormKeyExport::ExportKeysToFormText(std::string_view FormText, int& Replaced) const {
    std::string edited;
    edited.reserve(FormText.size());
    std::size_t copied = 0; // the text before this offset is in `edited`
    WalkFormText(FormText, skip_, [&](const TFormValue& Value, const TFormTextParser&) {
        if (Value.Text.empty()) return;
        const auto found = valueIndex_.find(AnsiEqualityKey(Value.Text, false));
        if (found == valueIndex_.end()) return;
        // Only the value's pieces and the "+" between them go; what separates
        // it from the next token stays, so the key never runs into that token
        // and the lines keep their breaks and indentation.
        edited.append(FormText, copied, Value.Position - copied);
        edited += QuoteFormString(document_.Key(found->second));
        // A key ending in a character code must not take up digits that follow.
        if (IsDigit(edited.back()) && Value.End < FormText.size() && IsDigit(FormText[Value.End]))
            edited += ' ';
        copied = Value.End;
        ++Replaced;
    });
    edited.append(FormText, copied);
    return edited;
}

int TFormKeyExport::ExportKeysToFormFile(const std::string& Path, const std::string& Target) const {
    int replaced = 0;
    NameFormFileInErrors(Path, [&] {
        FileIdentity read;
        const std::string data = ReadFileBytes(Path, &read);
        const std::string formText = FormDataToText(data);
        const std::string edited = ExportKeysToFormText(formText, replaced);
        if (Target.empty() && edited == data) return; // nothing to write: keep the file's date
        // In place, another program's change since the read is refused, not lost.
        WriteFileAtomically(
            Target.empty() ? Path : Target, [&edited](OutputStream& Out) { Out.Write(edited); },
            Target.empty() ? &read : nullptr);
    });
    return replaced;
}

int ExportKeysToFormFiles(const TLexDocument& Document, const TLexBand& Band,
                          const std::vector<std::string>& Files, const TFormSkipLists& Skip,
                          const std::string& OutputDir, const TLexProgressEvent& OnProgress) {
    int replaced = 0;
    if (Files.empty()) return replaced;
    const std::vector<std::string> targets = ExportTargets(Files, OutputDir);
    const TFormKeyExport exporter(Document, Band, Skip);
    for (std::size_t i = 0; i < Files.size(); ++i) {
        replaced += exporter.ExportKeysToFormFile(Files[i], targets[i]);
        ReportProgress(OnProgress, static_cast<double>(i + 1) / static_cast<double>(Files.size()));
    }
    return replaced;
}

} // namespace lex
