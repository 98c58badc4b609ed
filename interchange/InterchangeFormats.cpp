#include "interchange/InterchangeFormats.h"

#include "interchange/PoFormat.h"
#include "interchange/TsFormat.h"
#include "interchange/XliffFormat.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace lex {
namespace {

const TInterchangeFormat PoFormat{"po", "gettext PO", {"po", "pot"}, ReadPo, WritePo};
const TInterchangeFormat TsFormat{"ts", "Qt TS", {"ts"}, ReadTs, WriteTs};
const TInterchangeFormat XliffFormat{"xliff", "XLIFF 1.2", {"xlf", "xliff"}, ReadXliff, WriteXliff};

bool SameText(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

const std::vector<const TInterchangeFormat*>& InterchangeFormats() {
    static const std::vector<const TInterchangeFormat*> formats = {&PoFormat, &TsFormat,
                                                                   &XliffFormat};
    return formats;
}

const TInterchangeFormat* FindInterchangeFormat(std::string_view Name) {
    for (const TInterchangeFormat* format : InterchangeFormats())
        if (SameText(format->Name, Name)) return format;
    return nullptr;
}

const TInterchangeFormat* InterchangeFormatOf(std::string_view FileName) {
    const size_t dot = FileName.find_last_of("./");
    if (dot == std::string_view::npos || FileName[dot] != '.') return nullptr;
    const std::string_view extension = FileName.substr(dot + 1);
    for (const TInterchangeFormat* format : InterchangeFormats())
        for (const std::string_view known : format->Extensions)
            if (SameText(known, extension)) return format;
    return nullptr;
}

std::string LocaleOfCodePage(std::string_view CodePage) {
    // A code page serves several languages of one script; these are the ones
    // a translator's tool most likely means by it.
    static const std::map<std::string_view, std::string_view> locales = {
        {"874", "th"},   {"932", "ja"},     {"936", "zh_CN"}, {"949", "ko"},  {"950", "zh_TW"},
        {"1250", "pl"},  {"1251", "ru"},    {"1252", "en"},   {"1253", "el"}, {"1254", "tr"},
        {"1255", "he"},  {"1256", "ar"},    {"1257", "lt"},   {"1258", "vi"}, {"20932", "ja"},
        {"51949", "ko"}, {"54936", "zh_CN"}};
    const auto it = locales.find(CodePage);
    return it == locales.end() ? std::string() : std::string(it->second);
}

} // namespace lex
