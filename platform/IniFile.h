#pragma once

#include "platform/FileUtil.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lex {

// An INI file held in memory as its lines, so that writing a key rewrites only
// that key's line: comments, unknown keys, unknown sections and malformed
// lines the user put there survive a save byte for byte.
//
// Reading: lines end in LF or CR LF; "[name]" opens a section; "name=value"
// is a key, both sides trimmed; lines starting with ';', lines without '=',
// lines with an empty name and keys before the first section are kept but
// never read. Section and key names compare ignoring ASCII case; the first of
// two equal keys is the one read and written, and a section that appears
// twice is read as one. Values are bytes, taken as they stand: no quotes are
// removed and no character set is converted.
//
// Writing: an existing key's line becomes "name=value" under the name as the
// file spells it; a new key goes after the last entry of its section, a new
// section at the end of the file. The file keeps the line-end style of its
// first line and a leading UTF-8 byte order mark; a new file uses LF. Nothing
// reaches the disk before UpdateFile().
class TIniFile {
public:
    // Reads the file; a missing file is an empty one. EFOpenError when the
    // file is there but cannot be read.
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return FileNameValue; }
    bool FileExists() const; // whether the file is on disk now

    std::string ReadString(std::string_view Section, std::string_view Ident,
                           std::string_view Default) const;
    // Decimal, or hexadecimal after "0x" or "$"; anything else, or a number
    // that does not fit 32 bits, gives Default.
    int ReadInteger(std::string_view Section, std::string_view Ident, int Default) const;
    bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const;

    // Names or values a line cannot hold raise Exception: a line break, a
    // section name with ']', a key name that is empty, holds '=' or starts
    // with '[' or ';'.
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Ident, int Value);
    void WriteBool(std::string_view Section, std::string_view Ident, bool Value);

    // The section's key names, in file order, each once.
    std::vector<std::string> ReadSection(std::string_view Section) const;
    // The section's keys with the values ReadString gives, in file order.
    std::vector<std::pair<std::string, std::string>>
    ReadSectionValues(std::string_view Section) const;
    bool SectionExists(std::string_view Section) const;
    bool ValueExists(std::string_view Section, std::string_view Ident) const;

    // Replaces the file atomically with the lines held, creating it if
    // needed; EFileChanged, writing nothing, when someone else changed or
    // created the file since it was read here.
    void UpdateFile() const;

    // Whether a key name (trimmed) or a value can be written.
    static bool CanHoldKey(std::string_view Ident);
    static bool CanHoldValue(std::string_view Text);

private:
    enum class LineKind { Other, Section, Key };
    struct TLine {
        std::string Text; // as in the file, without its line end
        LineKind Kind = LineKind::Other;
        std::string Name;  // section or key name, trimmed
        std::string Value; // key value, trimmed
    };
    static constexpr size_t NoLine = static_cast<size_t>(-1);

    static TLine ParseLine(std::string Text);
    size_t FindKey(std::string_view Section, std::string_view Ident) const;
    // Calls f(index) for each key line of the section, in file order.
    template <class F>
    void ForEachKey(std::string_view Section, F&& f) const;

    std::string FileNameValue;
    // What the file held when read or last written here; empty when there
    // was no file. Written by the const UpdateFile(): it is the file's
    // state, not the content held.
    mutable FileIdentity Read;
    std::vector<TLine> Lines;
    std::string LineEnd = "\n";
    bool ByteOrderMark = false;
};

} // namespace lex
