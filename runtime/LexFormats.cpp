#include "runtime/LexFormats.h"

#include "platform/TextCompare.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/TextLexCheck.h"
#include "runtime/TextLexFormat.h"

#include <algorithm>
#include <cctype>

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

// In the order the reader registry registers them at start-up.
constexpr TLexFormat Formats[] = {
    {LumoTextDFMID, "lxd", "LumoTextDFM", "form notation", CreateLexReader<TTextDFMStreamLexReader>,
     WriteDFMLexFile, CheckDFMLexFile},
    {LumoTextCSVID, "lxc;lng", "LumoTextCSV", "CSV style", CreateLexReader<TTextCSVStreamLexReader>,
     WriteCSVLexFile, CheckCSVLexFile},
    {LumoBinaryID, "lxb", "LumoBinary", "binary", CreateLexReader<TBinaryStreamLexReader>,
     WriteBinaryLexFile, nullptr},
};

// The CSV style reads and writes every extension that no entry lists.
constexpr size_t DefaultFormat = 1;
static_assert(Formats[DefaultFormat].ReaderID == LumoTextCSVID);

bool SameExtension(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "*.lxc;*.lng"
std::string Patterns(const TLexFormat& Format) {
    std::string patterns;
    for (const std::string_view extension : Format.ExtensionList()) {
        if (!patterns.empty()) patterns += ';';
        patterns.append("*.").append(extension);
    }
    return patterns;
}

} // namespace

std::vector<std::string_view> TLexFormat::ExtensionList() const {
    std::vector<std::string_view> list;
    for (std::string_view rest = Extensions; !rest.empty();) {
        const size_t end = std::min(rest.find(';'), rest.size());
        list.push_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return list;
}

std::span<const TLexFormat> LexFormats() {
    return Formats;
}

const TLexFormat& DefaultLexFormat() {
    return Formats[DefaultFormat];
}

std::vector<const TLexFormat*> ListedLexFormats() {
    std::vector<const TLexFormat*> listed = {&DefaultLexFormat()};
    for (const TLexFormat& format : Formats)
        if (&format != &DefaultLexFormat()) listed.push_back(&format);
    return listed;
}

const TLexFormat& LexFormatOf(std::string_view FileName) {
    const size_t slash = FileName.find_last_of('/');
    const std::string_view name =
        slash == std::string_view::npos ? FileName : FileName.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return DefaultLexFormat();
    const std::string_view extension = name.substr(dot + 1);
    for (const TLexFormat& format : Formats)
        for (const std::string_view listed : format.ExtensionList())
            if (SameExtension(extension, listed)) return format;
    return DefaultLexFormat();
}

const TLexFormat* LexFormatOfReader(std::string_view ReaderID) {
    for (const TLexFormat& format : Formats)
        if (AnsiSameText(format.ReaderID, ReaderID)) return &format;
    return nullptr;
}

std::string LexDialogFilter() {
    const std::vector<const TLexFormat*> listed = ListedLexFormats();
    std::string all;
    for (const TLexFormat* format : listed) {
        if (!all.empty()) all += ';';
        all += Patterns(*format);
    }
    std::string filter = "All (" + all + ")|" + all;
    for (const TLexFormat* format : listed) {
        const std::string patterns = Patterns(*format);
        filter.append("|").append(format->FilterName).append(" (" + patterns + ")|" + patterns);
    }
    return filter + "|ANY (*.*)|*.*";
}

const TLexFormat* LexFormatOfFileType(int Type) {
    const std::vector<const TLexFormat*> listed = ListedLexFormats();
    // Type 1 is "All"; the last, after the formats, is "ANY".
    if (Type < 2 || Type - 2 >= static_cast<int>(listed.size())) return nullptr;
    return listed[static_cast<size_t>(Type - 2)];
}

int LexFileTypeOf(const TLexFormat& Format) {
    const std::vector<const TLexFormat*> listed = ListedLexFormats();
    return static_cast<int>(std::find(listed.begin(), listed.end(), &Format) - listed.begin()) + 2;
}

} // namespace lex
