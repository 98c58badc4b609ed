#include "runtime/FileFormats.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"
#include "runtime/LexFormats.h"

#include <algorithm>
#include <memory>

namespace lex {
namespace {

std::unique_ptr<std::vector<const TFileFormat*>> Registry;

} // namespace

std::vector<std::string_view> TFileFormat::ExtensionList() const {
    std::vector<std::string_view> list;
    for (std::string_view rest = Extensions; !rest.empty();) {
        const size_t end = std::min(rest.find(';'), rest.size());
        list.push_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return list;
}

bool TFileFormat::NamesFile(std::string_view FileName) const {
    const std::string_view name = FileName.substr(FileName.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot + 1);
    return std::ranges::any_of(
        ExtensionList(), [&](std::string_view Listed) { return AsciiSameText(Listed, extension); });
}

std::string TFileFormat::Patterns() const {
    std::string patterns;
    for (const std::string_view extension : ExtensionList()) {
        if (!patterns.empty()) patterns += ';';
        patterns.append("*.").append(extension);
    }
    return patterns;
}

void InitializeFileFormats() {
    if (Registry) return;
    Registry = std::make_unique<std::vector<const TFileFormat*>>();
    RegisterLexFormats();
}

void FinalizeFileFormats() {
    Registry.reset();
}

void RegisterFileFormat(const TFileFormat& Format) {
    if (!Registry)
        throw Exception(FormatText("file format \"%s\" registered before the run-time library's "
                                   "start-up",
                                   {Format.ID}));
    if (std::ranges::find(*Registry, &Format) != Registry->end()) return;
    if (FindFileFormat(Format.Kind, Format.ID))
        throw Exception(FormatText("file format \"%s\" already registered!", {Format.ID}));
    Registry->push_back(&Format);
}

std::span<const TFileFormat* const> FileFormats() {
    if (!Registry)
        throw Exception("No file format is known before the run-time library's start-up");
    return *Registry;
}

const TFileFormat* FindFileFormat(TFileKind Kind, std::string_view ID) {
    for (const TFileFormat* format : FileFormats())
        if (format->Kind == Kind && AnsiSameText(format->ID, ID)) return format;
    return nullptr;
}

const TFileFormat* FileFormatOf(TFileKind Kind, std::string_view FileName) {
    for (const TFileFormat* format : FileFormats())
        if (format->Kind == Kind && format->NamesFile(FileName)) return format;
    return nullptr;
}

} // namespace lex
