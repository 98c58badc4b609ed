#include "platform/CodePageCatalog.h"

#include "platform/TextCompare.h"

#include <algorithm>
#include <charconv>

namespace lex {
namespace {

struct TCatalogEntry {
    int CodePage;
    const char* Description;
};

// In ascending number order, for the binary search below.
constexpr TCatalogEntry Catalog[] = {
    {37, "IBM EBCDIC (US-Canada)"},
    {437, "OEM United States"},
    {500, "IBM EBCDIC (International)"},
    {708, "Arabic (ASMO 708)"},
    {720, "Arabic (DOS)"},
    {737, "Greek (DOS)"},
    {775, "Baltic (DOS)"},
    {850, "Western European (DOS)"},
    {852, "Central European (DOS)"},
    {855, "OEM Cyrillic"},
    {857, "Turkish (DOS)"},
    {858, "OEM Multilingual Latin I"},
    {860, "Portuguese (DOS)"},
    {861, "Icelandic (DOS)"},
    {862, "Hebrew (DOS)"},
    {863, "French Canadian (DOS)"},
    {864, "Arabic (864)"},
    {865, "Nordic (DOS)"},
    {866, "Cyrillic (DOS)"},
    {869, "Greek, Modern (DOS)"},
    {874, "Thai (Windows)"},
    {932, "Japanese (Shift-JIS)"},
    {936, "Chinese Simplified (GB2312)"},
    {949, "Korean"},
    {950, "Chinese Traditional (Big5)"},
    {1200, "Unicode"},
    {1201, "Unicode (Big-Endian)"},
    {1250, "Central European (Windows)"},
    {1251, "Cyrillic (Windows)"},
    {1252, "Western European (Windows)"},
    {1253, "Greek (Windows)"},
    {1254, "Turkish (Windows)"},
    {1255, "Hebrew (Windows)"},
    {1256, "Arabic (Windows)"},
    {1257, "Baltic (Windows)"},
    {1258, "Vietnamese (Windows)"},
    {1361, "Korean (Johab)"},
    {10000, "Western European (Mac)"},
    {10001, "Japanese (Mac)"},
    {10002, "Chinese Traditional (Mac)"},
    {10003, "Korean (Mac)"},
    {10004, "Arabic (Mac)"},
    {10005, "Hebrew (Mac)"},
    {10006, "Greek (Mac)"},
    {10007, "Cyrillic (Mac)"},
    {10008, "Chinese Simplified (Mac)"},
    {10010, "Romanian (Mac)"},
    {10017, "Ukrainian (Mac)"},
    {10021, "Thai (Mac)"},
    {10029, "Central European (Mac)"},
    {10079, "Icelandic (Mac)"},
    {10081, "Turkish (Mac)"},
    {10082, "Croatian (Mac)"},
    {20127, "US-ASCII"},
    {20866, "Cyrillic (KOI8-R)"},
    {20932, "Japanese (JIS 0208-1990 and 0212-1990)"},
    {20936, "Chinese Simplified (GB2312-80)"},
    {21866, "Cyrillic (KOI8-U)"},
    {28591, "Western European (ISO)"},
    {28592, "Central European (ISO)"},
    {28593, "Latin 3 (ISO)"},
    {28594, "Baltic (ISO)"},
    {28595, "Cyrillic (ISO)"},
    {28596, "Arabic (ISO)"},
    {28597, "Greek (ISO)"},
    {28598, "Hebrew (ISO-Visual)"},
    {28599, "Turkish (ISO)"},
    {28603, "Estonian (ISO)"},
    {28605, "Latin 9 (ISO)"},
    {38598, "Hebrew (ISO-Logical)"},
    {50220, "Japanese (JIS)"},
    {50221, "Japanese (JIS-Allow 1 byte Kana)"},
    {50222, "Japanese (JIS-Allow 1 byte Kana - SO/SI)"},
    {50225, "Korean (ISO)"},
    {50227, "Chinese Simplified (ISO-2022)"},
    {51932, "Japanese (EUC)"},
    {51936, "Chinese Simplified (EUC)"},
    {51949, "Korean (EUC)"},
    {52936, "Chinese Simplified (HZ)"},
    {54936, "Chinese Simplified (GB18030)"},
    {65000, "Unicode (UTF-7)"},
    {65001, "Unicode (UTF-8)"},
};

constexpr size_t DisplayNameWidth = 11;

} // namespace

std::vector<std::string> TBuiltinCodePageSource::SubKeyNames() const {
    std::vector<std::string> names;
    names.reserve(std::size(Catalog));
    for (const TCatalogEntry& entry : Catalog)
        names.push_back(std::to_string(entry.CodePage));
    return names;
}

std::optional<std::string> TBuiltinCodePageSource::Description(std::string_view Name) const {
    int codePage = 0;
    const auto [end, error] = std::from_chars(Name.data(), Name.data() + Name.size(), codePage);
    if (error != std::errc() || end != Name.data() + Name.size()) return std::nullopt;
    const auto* entry =
        std::lower_bound(std::begin(Catalog), std::end(Catalog), codePage,
                         [](const TCatalogEntry& e, int value) { return e.CodePage < value; });
    if (entry == std::end(Catalog) || entry->CodePage != codePage) return std::nullopt;
    return entry->Description;
}

void TCodePageList::Fill(const ICodePageSource& Source) {
    std::vector<TEntry> entries;
    for (std::string& name : Source.SubKeyNames())
        entries.push_back(TEntry{std::move(name), nullptr});
    std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
        return AnsiCompareText(a.Name, b.Name) < 0;
    });
    for (TEntry& entry : entries)
        if (std::optional<std::string> description = Source.Description(entry.Name))
            entry.Node =
                std::make_unique<TCodePageNode>(TCodePageNode{entry.Name, std::move(*description)});
    Entries = std::move(entries);
}

std::string TCodePageList::DisplayText(int Index) const {
    const TEntry& entry = Entries.at(Index);
    std::string text = entry.Name;
    if (text.size() < DisplayNameWidth) text.resize(DisplayNameWidth, ' ');
    if (entry.Node) text += entry.Node->Description;
    return text;
}

int TCodePageList::IndexOf(std::string_view Name) const {
    const auto found =
        std::lower_bound(Entries.begin(), Entries.end(), Name, [](const TEntry& e, auto value) {
            return AnsiCompareText(e.Name, value) < 0;
        });
    if (found == Entries.end() || AnsiCompareText(found->Name, Name) != 0) return -1;
    return static_cast<int>(found - Entries.begin());
}

const TCodePageNode* TCodePageList::Find(std::string_view Name) const {
    const int index = IndexOf(Name);
    return index < 0 ? nullptr : Node(index);
}

std::unique_ptr<TCodePageList> CodePageList;

void InitializeCodePageList() {
    InitializeCodePageList(TBuiltinCodePageSource());
}

void InitializeCodePageList(const ICodePageSource& Source) {
    CodePageList = std::make_unique<TCodePageList>(Source);
}

void FinalizeCodePageList() {
    CodePageList.reset();
}

} // namespace lex
