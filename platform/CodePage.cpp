#include "platform/CodePage.h"

#include "platform/Exceptions.h"
#include "platform/TextCompare.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <unicode/ucnv.h>

namespace lex {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// ICU knows most Windows code pages as "windows-N", "cpN" or "ibm-N"; these
// are the ones it names otherwise.
const char* SpecialConverterName(int codePage) {
    switch (codePage) {
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 20127:
        return "US-ASCII";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
        return "EUC-JP";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    case 28593:
        return "ISO-8859-3";
    case 28594:
        return "ISO-8859-4";
    case 28595:
        return "ISO-8859-5";
    case 28596:
        return "ISO-8859-6";
    case 28597:
        return "ISO-8859-7";
    case 28598:
        return "ISO-8859-8";
    case 28599:
        return "ISO-8859-9";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    case 38598:
        return "ISO-8859-8-I";
    case 50220:
    case 50221:
    case 50222:
        return "ISO-2022-JP";
    case 50225:
        return "ISO-2022-KR";
    case 51932:
        return "EUC-JP";
    case 51936:
        return "EUC-CN";
    case 51949:
        return "EUC-KR";
    case 52936:
        return "HZ-GB-2312";
    case 54936:
        return "GB18030";
    case 65000:
        return "UTF-7";
    case 65001:
        return "UTF-8";
    case 10000:
        return "macintosh";
    default:
        return nullptr;
    }
}

ConverterPtr OpenConverter(int codePage) {
    std::string names[4];
    int count = 0;
    if (const char* special = SpecialConverterName(codePage)) names[count++] = special;
    names[count++] = "windows-" + std::to_string(codePage);
    names[count++] = "cp" + std::to_string(codePage);
    names[count++] = "ibm-" + std::to_string(codePage);
    for (int i = 0; i < count; ++i) {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ucnv_open(names[i].c_str(), &status));
        if (U_SUCCESS(status)) return converter;
    }
    return nullptr;
}

// Converters keep state between calls, so each thread has its own.
UConverter* Converter(int codePage) {
    thread_local std::map<int, ConverterPtr> cache;
    auto it = cache.find(codePage);
    if (it == cache.end()) it = cache.emplace(codePage, OpenConverter(codePage)).first;
    return it->second.get();
}

UConverter* RequireConverter(int codePage) {
    UConverter* converter = Converter(codePage);
    if (!converter)
        throw EConvertError("Code page " + std::to_string(codePage) + " is not supported");
    ucnv_reset(converter);
    return converter;
}

// The languages of the code pages, in one table for both directions: a code
// page's locale is its first row, a language's code page its first row, so
// the common one of each comes first ("936" before "54936").
struct TLocaleCodePage {
    std::string_view Locale; // language[_territory]
    int CodePage;
};
constexpr TLocaleCodePage LocaleCodePages[] = {
    {"zh_CN", 936}, {"zh_TW", 950},  {"zh_HK", 950}, {"zh_MO", 950}, {"ja", 932},  {"ko", 949},
    {"ru", 1251},   {"uk", 1251},    {"be", 1251},   {"bg", 1251},   {"sr", 1251}, {"pl", 1250},
    {"cs", 1250},   {"sk", 1250},    {"hu", 1250},   {"ro", 1250},   {"hr", 1250}, {"sl", 1250},
    {"el", 1253},   {"tr", 1254},    {"he", 1255},   {"ar", 1256},   {"fa", 1256}, {"lt", 1257},
    {"et", 1257},   {"lv", 1257},    {"vi", 1258},   {"th", 874},    {"en", 1252}, {"ja", 20932},
    {"ko", 51949},  {"zh_CN", 54936}};

std::string_view PrimaryLanguage(std::string_view Locale) {
    return Locale.substr(0, Locale.find('_'));
}

// "zh-CN", "zh_cn" and "zh_CN" alike.
std::string NormalLocale(std::string_view Locale) {
    std::string normal = AsciiLowerCase(Locale);
    std::ranges::replace(normal, '-', '_');
    return normal;
}

} // namespace

bool IsCodePageAvailable(int codePage) {
    return Converter(codePage) != nullptr;
}

std::u16string DecodeText(std::string_view bytes, int codePage) {
    std::u16string result;
    DecodeTextTo(bytes, codePage, result);
    return result;
}

void DecodeTextTo(std::string_view bytes, int codePage, std::u16string& out) {
    UConverter* converter = RequireConverter(codePage);
    out.resize(bytes.size() * 2 + 2);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                         bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        throw EConvertError("Cannot decode text from code page " + std::to_string(codePage) + ": " +
                            u_errorName(status));
    out.resize(static_cast<size_t>(length));
}

void DecodeTextTo(std::string_view bytes, int codePage, std::u16string& out,
                  std::vector<int32_t>& starts) {
    UConverter* converter = RequireConverter(codePage);
    out.resize(bytes.size() * 2 + 2);
    starts.resize(out.size());
    char16_t* target = out.data();
    const char* source = bytes.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, out.data() + out.size(), &source,
                   bytes.data() + bytes.size(), starts.data(), true, &status);
    if (U_FAILURE(status))
        throw EConvertError("Cannot decode text from code page " + std::to_string(codePage) + ": " +
                            u_errorName(status));
    out.resize(static_cast<size_t>(target - out.data()));
    starts.resize(out.size());
}

TCodePageBytes CodePageBytes(int codePage) {
    const UConverter* converter = RequireConverter(codePage);
    const UConverterType type = ucnv_getType(converter);
    const int maxCharSize = ucnv_getMaxCharSize(converter);
    TCodePageBytes form;
    switch (type) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
    case UCNV_UTF8:
    case UCNV_CESU8:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF32_BigEndian:
    case UCNV_UTF32_LittleEndian:
        form.Stateless = true;
        break;
    default:
        break;
    }
    if (!form.Stateless) return form;
    // The printable ones: some tables swap control characters around.
    std::string ascii;
    for (char c = ' '; c <= '~'; ++c)
        ascii += c;
    const std::u16string decoded = DecodeText(ascii, codePage);
    form.Ascii = decoded.size() == ascii.size() &&
                 std::equal(decoded.begin(), decoded.end(), ascii.begin(),
                            [](char16_t Unit, char Byte) { return Unit == char16_t(Byte); });
    form.Aligned = form.Ascii && (maxCharSize == 1 || type == UCNV_UTF8);
    return form;
}

std::string EncodeText(std::u16string_view text, int codePage) {
    UConverter* converter = RequireConverter(codePage);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::string result(text.size() * 4 + 4, '\0');
    status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_fromUChars(converter, result.data(), static_cast<int32_t>(result.size()), text.data(),
                        static_cast<int32_t>(text.size()), &status);
    if (status == U_INVALID_CHAR_FOUND || status == U_ILLEGAL_CHAR_FOUND) {
        // Find the first character that alone does not encode, to name it.
        for (char16_t unit : text) {
            ucnv_reset(converter);
            char buffer[8];
            UErrorCode one = U_ZERO_ERROR;
            ucnv_fromUChars(converter, buffer, sizeof buffer, &unit, 1, &one);
            if (U_FAILURE(one)) {
                char code[8];
                std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(unit));
                throw EConvertError(std::string("Character U+") + code +
                                    " cannot be written in code page " + std::to_string(codePage));
            }
        }
        throw EConvertError("Text cannot be written in code page " + std::to_string(codePage));
    }
    if (U_FAILURE(status))
        throw EConvertError("Cannot encode text to code page " + std::to_string(codePage) + ": " +
                            u_errorName(status));
    result.resize(static_cast<size_t>(length));
    return result;
}

int CodePageForLocale(std::string_view localeName) {
    // language[_territory][.codeset][@modifier]
    std::string_view name = localeName.substr(0, localeName.find('@'));
    const size_t dot = name.find('.');
    const std::string codeset =
        dot == std::string_view::npos ? "" : AsciiLowerCase(name.substr(dot + 1));
    const std::string_view languageTerritory = name.substr(0, dot);

    static const std::map<std::string, int, std::less<>> legacyCodesets = {
        {"gb2312", 936},  {"gbk", 936},       {"gb18030", 936},    {"euccn", 936},
        {"euc-cn", 936},  {"big5", 950},      {"big5-hkscs", 950}, {"big5hkscs", 950},
        {"sjis", 932},    {"shift_jis", 932}, {"shift-jis", 932},  {"euckr", 949},
        {"euc-kr", 949},  {"cp1250", 1250},   {"cp1251", 1251},    {"cp1252", 1252},
        {"cp1253", 1253}, {"cp1254", 1254},   {"cp1255", 1255},    {"cp1256", 1256},
        {"cp1257", 1257}, {"cp1258", 1258}};
    if (auto it = legacyCodesets.find(codeset); it != legacyCodesets.end()) return it->second;

    for (const bool whole : {true, false})
        for (const TLocaleCodePage& row : LocaleCodePages)
            if (whole ? AsciiSameText(row.Locale, languageTerritory)
                      : AsciiSameText(PrimaryLanguage(row.Locale),
                                      PrimaryLanguage(languageTerritory)))
                return row.CodePage;
    return 1252;
}

std::string LocaleOfCodePage(std::string_view CodePage) {
    for (const TLocaleCodePage& row : LocaleCodePages)
        if (std::to_string(row.CodePage) == CodePage) return std::string(row.Locale);
    return {};
}

std::string CodePageOfLocale(std::span<const std::string> CodePages, std::string_view Locale) {
    const std::string wanted = NormalLocale(Locale);
    if (wanted.empty()) return {};
    for (const bool whole : {true, false})
        for (const std::string& codePage : CodePages) {
            const std::string locale = NormalLocale(LocaleOfCodePage(codePage));
            if (!locale.empty() &&
                (whole ? locale == wanted : PrimaryLanguage(locale) == PrimaryLanguage(wanted)))
                return codePage;
        }
    return {};
}

int ProcessCodePage() {
    static const int codePage = [] {
        if (const char* forced = std::getenv("LEXMANAGER_CODEPAGE")) {
            char* end = nullptr;
            const long value = std::strtol(forced, &end, 10);
            if (end != forced && *end == '\0' && value > 0 && value < 100000)
                return static_cast<int>(value);
        }
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value && *value) return CodePageForLocale(value);
        }
        return 1252;
    }();
    return codePage;
}

int TextCodePage(std::string_view CodePage) {
    int number = 0;
    const char* end = CodePage.data() + CodePage.size();
    const auto [last, error] = std::from_chars(CodePage.data(), end, number);
    return error == std::errc() && last == end && IsCodePageAvailable(number) ? number
                                                                              : ProcessCodePage();
}

} // namespace lex
