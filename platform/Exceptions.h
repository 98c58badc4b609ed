#pragma once

#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lex {

// Base of every failure the system raises; the message is English and complete.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The silent abort: unwinds to the main loop, which shows nothing.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

#define LEX_DECLARE_EXCEPTION(Name)                                                                \
    class Name : public Exception {                                                                \
    public:                                                                                        \
        using Exception::Exception;                                                                \
    }

LEX_DECLARE_EXCEPTION(EConvertError);
LEX_DECLARE_EXCEPTION(EFCreateError);
LEX_DECLARE_EXCEPTION(EFOpenError);
LEX_DECLARE_EXCEPTION(EWriteError);
LEX_DECLARE_EXCEPTION(EParserError);
LEX_DECLARE_EXCEPTION(EReadError);
LEX_DECLARE_EXCEPTION(EDatabaseError);
// A file changed on disk since it was read; the save that noticed wrote nothing.
LEX_DECLARE_EXCEPTION(EFileChanged);

#undef LEX_DECLARE_EXCEPTION

// Message texts shared by several modules.
inline constexpr std::string_view SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view SFCreateError = "Cannot create file %s";
inline constexpr std::string_view SFReplaceError = "Cannot create file \"%s\". %s";
inline constexpr std::string_view SFChangedError =
    "File \"%s\" was changed by another program since it was read";
inline constexpr std::string_view SFOpenError = "Cannot open file \"%s\". %s";
inline constexpr std::string_view SReadError = "Invalid stream format";
inline constexpr std::string_view SParserError = "%s on line %d";

// Fills a message pattern the way the platform's string formatter does for the
// patterns this system uses: "%s" and "%d" take the next argument as text, "%%"
// is a percent sign. A pattern that asks for more arguments than given raises
// EConvertError rather than reading past the list.
std::string FormatText(std::string_view pattern, std::span<const std::string_view> args);
inline std::string FormatText(std::string_view pattern,
                              std::initializer_list<std::string_view> args) {
    return FormatText(pattern, std::span<const std::string_view>(args.begin(), args.size()));
}

} // namespace lex
