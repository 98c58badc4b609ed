#include "platform/IniFile.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <sys/stat.h>

namespace lex {
namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hexadecimal keeps 32 bits and wraps, so "$FFFFFFFF" is -1 as the original
// platform's integer parser reads it.
std::optional<int> ParseInteger(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    uint32_t magnitude = 0;
    if (s.starts_with('$') || s.starts_with("0x") || s.starts_with("0X")) {
        s.remove_prefix(s.front() == '$' ? 1 : 2);
        if (s.empty() || s.size() > 8) return std::nullopt;
        for (const char c : s) {
            const int digit = HexDigit(c);
            if (digit < 0) return std::nullopt;
            magnitude = magnitude * 16 + static_cast<uint32_t>(digit);
        }
    } else {
        if (s.empty()) return std::nullopt;
        const uint32_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
        for (const char c : s) {
            if (c < '0' || c > '9') return std::nullopt;
            const auto digit = static_cast<uint32_t>(c - '0');
            if (magnitude > (limit - digit) / 10) return std::nullopt;
            magnitude = magnitude * 10 + digit;
        }
    }
    return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

[[noreturn]] void ThrowUnstorable(std::string_view what, std::string_view text) {
    throw Exception("Cannot store the " + std::string(what) + " \"" + std::string(text) +
                    "\" in an INI file");
}

} // namespace

TIniFile::TIniFile(std::string FileName) : FileNameValue(std::move(FileName)) {
    struct stat info {};
    if (::stat(FileNameValue.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) return;
    const std::string bytes = ReadFileBytes(FileNameValue, &Read);
    std::string_view text = bytes;
    if (text.starts_with(Utf8Bom)) {
        ByteOrderMark = true;
        text.remove_prefix(Utf8Bom.size());
    }
    const size_t firstBreak = text.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
        LineEnd = "\r\n";
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        Lines.push_back(ParseLine(std::string(line)));
    }
}

TIniFile::TLine TIniFile::ParseLine(std::string Text) {
    TLine line;
    const std::string_view trimmed = Trim(Text);
    if (trimmed.starts_with('[')) {
        const std::string_view inner = trimmed.substr(1);
        line.Kind = LineKind::Section;
        line.Name = Trim(inner.substr(0, inner.find(']')));
    } else if (!trimmed.starts_with(';')) {
        const size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos && !Trim(trimmed.substr(0, equals)).empty()) {
            line.Kind = LineKind::Key;
            line.Name = Trim(trimmed.substr(0, equals));
            line.Value = Trim(trimmed.substr(equals + 1));
        }
    }
    line.Text = std::move(Text);
    return line;
}

bool TIniFile::FileExists() const {
    struct stat info {};
    return ::stat(FileNameValue.c_str(), &info) == 0;
}

template <class F>
void TIniFile::ForEachKey(std::string_view Section, F&& f) const {
    bool inSection = false;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TLine& line = Lines[i];
        if (line.Kind == LineKind::Section)
            inSection = SameName(line.Name, Section);
        else if (inSection && line.Kind == LineKind::Key)
            f(i);
    }
}

size_t TIniFile::FindKey(std::string_view Section, std::string_view Ident) const {
    Section = Trim(Section);
    Ident = Trim(Ident);
    size_t found = NoLine;
    ForEachKey(Section, [&](size_t i) {
        if (found == NoLine && SameName(Lines[i].Name, Ident)) found = i;
    });
    return found;
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Ident,
                                 std::string_view Default) const {
    const size_t i = FindKey(Section, Ident);
    return std::string(i == NoLine ? Default : std::string_view(Lines[i].Value));
}

int TIniFile::ReadInteger(std::string_view Section, std::string_view Ident, int Default) const {
    const size_t i = FindKey(Section, Ident);
    if (i == NoLine) return Default;
    return ParseInteger(Lines[i].Value).value_or(Default);
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

bool TIniFile::CanHoldKey(std::string_view Ident) {
    Ident = Trim(Ident);
    return !Ident.empty() && !HasLineBreak(Ident) && Ident.find('=') == std::string_view::npos &&
           !Ident.starts_with('[') && !Ident.starts_with(';');
}

bool TIniFile::CanHoldValue(std::string_view Text) {
    return !HasLineBreak(Text);
}

void TIniFile::WriteString(std::string_view Section, std::string_view Ident,
                           std::string_view Value) {
    Section = Trim(Section);
    Ident = Trim(Ident);
    if (HasLineBreak(Section) || Section.find(']') != std::string_view::npos)
        ThrowUnstorable("section name", Section);
    if (!CanHoldKey(Ident)) ThrowUnstorable("key name", Ident);
    if (!CanHoldValue(Value)) ThrowUnstorable("value", Value);

    if (const size_t i = FindKey(Section, Ident); i != NoLine) {
        Lines[i] = ParseLine(Lines[i].Name + "=" + std::string(Value));
        return;
    }
    TLine line = ParseLine(std::string(Ident) + "=" + std::string(Value));

    // After the section's last key, or its last header when it has none.
    size_t anchor = NoLine;
    for (size_t i = 0; i < Lines.size(); ++i)
        if (Lines[i].Kind == LineKind::Section && SameName(Lines[i].Name, Section)) anchor = i;
    ForEachKey(Section, [&](size_t i) { anchor = i; });
    if (anchor != NoLine) {
        Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(anchor + 1), std::move(line));
        return;
    }
    // A blank line keeps the new section apart from what precedes it.
    if (!Lines.empty() && !Trim(Lines.back().Text).empty()) Lines.push_back(TLine{});
    std::string header = "["; // appended piecewise: "[" + ... trips a false GCC 12 warning
    header.append(Section).append("]");
    Lines.push_back(ParseLine(header));
    Lines.push_back(std::move(line));
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Ident, int Value) {
    WriteString(Section, Ident, std::to_string(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(std::string_view Section) const {
    std::vector<std::string> names;
    for (auto& [name, value] : ReadSectionValues(Section))
        names.push_back(std::move(name));
    return names;
}

std::vector<std::pair<std::string, std::string>>
TIniFile::ReadSectionValues(std::string_view Section) const {
    std::vector<std::pair<std::string, std::string>> values;
    ForEachKey(Trim(Section), [&](size_t i) {
        const TLine& line = Lines[i];
        for (const auto& [name, value] : values)
            if (SameName(name, line.Name)) return;
        values.emplace_back(line.Name, line.Value);
    });
    return values;
}

bool TIniFile::SectionExists(std::string_view Section) const {
    Section = Trim(Section);
    for (const TLine& line : Lines)
        if (line.Kind == LineKind::Section && SameName(line.Name, Section)) return true;
    return false;
}

bool TIniFile::ValueExists(std::string_view Section, std::string_view Ident) const {
    return FindKey(Section, Ident) != NoLine;
}

void TIniFile::UpdateFile() const {
    std::string text;
    if (ByteOrderMark) text = Utf8Bom;
    for (const TLine& line : Lines) {
        text += line.Text;
        text += LineEnd;
    }
    Read = WriteFileAtomically(
        FileNameValue, [&](OutputStream& out) { out.Write(text); }, &Read);
}

} // namespace lex
