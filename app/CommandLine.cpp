#include "app/CommandLine.h"

#include <cctype>
#include <string_view>

namespace lex {
namespace {

bool IsSwitch(std::string_view arg, char letter) {
    return arg.size() == 2 && arg[0] == '/' &&
           std::toupper(static_cast<unsigned char>(arg[1])) == letter;
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.size() < 2) return {};
    if (IsSwitch(args[1], 'F')) return {TCommandLine::Kind::File, args[0]};
    if (IsSwitch(args[1], 'D')) return {TCommandLine::Kind::Table, args[0]};
    return {};
}

} // namespace lex
