#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

// What a file holds, and so the shape of its format's reader and writer.
enum class TFileKind {
    Lexicon,     // lexicon records (TLexFormat)
    Translation, // a translator's catalogue (gettext PO, Qt TS, XLIFF)
    Form,        // form-definition files
};

// One file format: all that the file dialogs, lextool and the file functions
// know of it. Each kind's entries are of a type deriving from this one that
// adds their reader and writer; a new format is one more entry, registered
// by its library at start-up.
struct TFileFormat {
    TFileKind Kind;
    std::string_view ID;          // a lexicon format's reader ID; lextool's command prefix
    std::string_view Extensions;  // without dots, ';' between; the first is the default
    std::string_view Caption;     // the file dialogs' caption of the type
    std::string_view Description; // for help texts

    std::vector<std::string_view> ExtensionList() const;
    // Whether the extension of FileName's last component is one of ours,
    // ignoring case.
    bool NamesFile(std::string_view FileName) const;
    // "*.lxc;*.lng"
    std::string Patterns() const;
};

// The registry of file formats, alive between InitializeFileFormats(), which
// registers the run-time library's lexicon formats, and FinalizeFileFormats().
// The libraries above register theirs at their own start-up, after it. A
// second start-up keeps the registry it finds.
void InitializeFileFormats();
void FinalizeFileFormats();

// Adds Format, which must outlive the registry; the same entry again changes
// nothing. Raises when another format of its kind has its ID or the registry
// is down.
void RegisterFileFormat(const TFileFormat& Format);

// Every registered format, in the order of registration. Raises when the
// registry is down: a program holds the run-time's modules before it names
// a file.
std::span<const TFileFormat* const> FileFormats();

// The registered formats of Kind as Format, the entry type their library
// registers for that kind.
template <typename Format>
std::vector<const Format*> FileFormatsOf(TFileKind Kind) {
    std::vector<const Format*> formats;
    for (const TFileFormat* format : FileFormats())
        if (format->Kind == Kind) formats.push_back(static_cast<const Format*>(format));
    return formats;
}

// The format of Kind registered under ID (ignoring case), or none.
const TFileFormat* FindFileFormat(TFileKind Kind, std::string_view ID);

// The format of Kind that FileName's extension names, or none.
const TFileFormat* FileFormatOf(TFileKind Kind, std::string_view FileName);

} // namespace lex
