#include "platform/Exceptions.h"

namespace lex {

std::string FormatText(std::string_view pattern, std::span<const std::string_view> args) {
    std::string result;
    result.reserve(pattern.size() + 32);
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        const char kind = pattern[++i];
        if (kind == '%') {
            result += '%';
        } else if (kind == 's' || kind == 'd') {
            if (next == args.size())
                throw EConvertError("Format '" + std::string(pattern) +
                                    "' invalid or incompatible with argument");
            result += args[next++];
        } else {
            result += '%';
            result += kind;
        }
    }
    return result;
}

} // namespace lex
