#include "runtime/LexFormats.h"

#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexCheck.h"
#include "runtime/TextLexFormat.h"

#include <algorithm>

namespace lex {
namespace {

FileIdentity WriteCSVLexFile(ILexReader& Reader, const std::string& FileName,
                             const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return WriteTextLexFile(Reader, FileName, EscapeCSV, ',', '"', OnProgress, Expected);
}

FileIdentity WriteDFMLexFile(ILexReader& Reader, const std::string& FileName,
                             const TLexProgressEvent& OnProgress, const FileIdentity* Expected) {
    return WriteTextLexFile(Reader, FileName, EscapeDFM, ',', '"', OnProgress, Expected);
}

std::string CheckCSVLexFile(std::string_view Bytes) {
    return FindTextLexDamage(Bytes, ',', '"', false);
}

std::string CheckDFMLexFile(std::string_view Bytes) {
    return FindTextLexDamage(Bytes, ',', '"', true);
}

constexpr TLexFormat TextDFMFormat{
    {TFileKind::Lexicon, LumoTextDFMID, "lxd", "LumoTextDFM", "form notation"},
    CreateLexReader<TTextDFMStreamLexReader>,
    WriteDFMLexFile,
    CheckDFMLexFile};
// Reads and writes every extension that no format lists.
constexpr TLexFormat TextCSVFormat{
    {TFileKind::Lexicon, LumoTextCSVID, "lxc;lng", "LumoTextCSV", "CSV style"},
    CreateLexReader<TTextCSVStreamLexReader>,
    WriteCSVLexFile,
    CheckCSVLexFile};
constexpr TLexFormat BinaryFormat{{TFileKind::Lexicon, LumoBinaryID, "lxb", "LumoBinary", "binary"},
                                  CreateLexReader<TBinaryStreamLexReader>,
                                  WriteBinaryLexFile,
                                  nullptr};

const TLexFormat& AsLexFormat(const TFileFormat& Format) {
    return static_cast<const TLexFormat&>(Format);
}

} // namespace

void RegisterLexFormats() {
    for (const TLexFormat* format : {&TextDFMFormat, &TextCSVFormat, &BinaryFormat})
        RegisterFileFormat(*format);
}

std::vector<const TLexFormat*> LexFormats() {
    return FileFormatsOf<TLexFormat>(TFileKind::Lexicon);
}

const TLexFormat& DefaultLexFormat() {
    return TextCSVFormat;
}

std::vector<const TLexFormat*> ListedLexFormats() {
    std::vector<const TLexFormat*> listed = {&DefaultLexFormat()};
    for (const TLexFormat* format : LexFormats())
        if (format != &DefaultLexFormat()) listed.push_back(format);
    return listed;
}

const TLexFormat& LexFormatOf(std::string_view FileName) {
    const TFileFormat* format = FileFormatOf(TFileKind::Lexicon, FileName);
    return format ? AsLexFormat(*format) : DefaultLexFormat();
}

const TLexFormat* LexFormatOfReader(std::string_view ReaderID) {
    const TFileFormat* format = FindFileFormat(TFileKind::Lexicon, ReaderID);
    return format ? &AsLexFormat(*format) : nullptr;
}

std::vector<TFileDialogType> FileDialogTypes(std::initializer_list<TFileKind> Further) {
    const std::vector<const TLexFormat*> listed = ListedLexFormats();
    std::string all;
    for (const TLexFormat* format : listed)
        all.append(all.empty() ? "" : ";").append(format->Patterns());
    std::vector<TFileDialogType> types = {{"All", all, nullptr}};
    for (const TLexFormat* format : listed)
        types.push_back({std::string(format->Caption), format->Patterns(), format});
    types.push_back({"ANY", "*.*", nullptr});
    for (const TFileFormat* format : FileFormats())
        if (std::ranges::find(Further, format->Kind) != Further.end())
            types.push_back({std::string(format->Caption), format->Patterns(), format});
    return types;
}

std::string DialogFilter(const std::vector<TFileDialogType>& Types) {
    std::string filter;
    for (const TFileDialogType& type : Types)
        filter.append(filter.empty() ? "" : "|")
            .append(type.Caption + " (" + type.Patterns + ")|" + type.Patterns);
    return filter;
}

std::string LexDialogFilter() {
    return DialogFilter(FileDialogTypes());
}

const TLexFormat* LexFormatOfFileType(int Type) {
    const std::vector<TFileDialogType> types = FileDialogTypes();
    if (Type < 1 || Type > static_cast<int>(types.size())) return nullptr;
    const TFileFormat* format = types[static_cast<size_t>(Type - 1)].Format;
    return format ? &AsLexFormat(*format) : nullptr;
}

int LexFileTypeOf(const TLexFormat& Format) {
    const std::vector<TFileDialogType> types = FileDialogTypes();
    return static_cast<int>(std::ranges::find(types, &Format, &TFileDialogType::Format) -
                            types.begin()) +
           1;
}

} // namespace lex
