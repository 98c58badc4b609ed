#include "platform/TextCompare.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <memory>
#include <string>
#include <unicode/ucol.h>
#include <unicode/uloc.h>

namespace lex {
namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

CollatorPtr OpenCollator(UCollationStrength strength) {
    // The user's locale; the C/POSIX locale has a collation in which case
    // differences are primary, so it takes the root collation instead.
    const std::string_view user = uloc_getDefault();
    const char* locale = user.starts_with("en_US_POSIX") ? "" : nullptr;
    UErrorCode status = U_ZERO_ERROR;
    CollatorPtr collator(ucol_open(locale, &status));
    if (U_FAILURE(status))
        throw Exception(std::string("Cannot open a collator: ") + u_errorName(status));
    ucol_setStrength(collator.get(), strength);
    return collator;
}

int Compare(UCollator* collator, std::string_view a, std::string_view b) {
    const int codePage = ProcessCodePage();
    const std::u16string ua = DecodeText(a, codePage);
    const std::u16string ub = DecodeText(b, codePage);
    return ucol_strcoll(collator, ua.data(), static_cast<int32_t>(ua.size()), ub.data(),
                        static_cast<int32_t>(ub.size()));
}

} // namespace

int AnsiCompareText(std::string_view a, std::string_view b) {
    thread_local const CollatorPtr collator = OpenCollator(UCOL_SECONDARY);
    return Compare(collator.get(), a, b);
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
    thread_local const CollatorPtr collator = OpenCollator(UCOL_TERTIARY);
    return Compare(collator.get(), a, b);
}

} // namespace lex
