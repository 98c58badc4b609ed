// Builds the embedded "Lex_GUI" lexicon from LexGUI.tsv: one key a line with
// its Simplified and Traditional Chinese texts, written as a C++ source that
// defines lex::LexGUIData and lex::LexGUIDataSize.
//
//   GenerateLexGUI LexGUI.tsv LexGUIData.cpp

#include "platform/CodePage.h"
#include "runtime/BinaryLexFormat.h"
#include "runtime/RecordListLexReader.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Keys after the first sit under the root key in an editor, except the
// trailing ones, which are top-level.
constexpr const char* RootCatalog = "Lex Manager";
constexpr size_t TopLevelTail = 24;

struct Line {
    int Number;
    std::string Key, Simplified, Traditional;
};

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
    throw std::runtime_error(where + ": " + message);
}

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(text.substr(start, tab - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::vector<Line> ReadTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(path, "cannot open");
    std::vector<Line> lines;
    std::set<std::string> keys;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') continue;
        const std::string where = path + ":" + std::to_string(number);
        std::vector<std::string> parts = SplitTabs(text);
        if (parts.size() != 3) Fail(where, "expected key, zh-CN and zh-TW separated by TABs");
        for (const std::string& part : parts)
            if (part.empty()) Fail(where, "empty column");
        if (!keys.insert(parts[0]).second) Fail(where, "duplicate key \"" + parts[0] + "\"");
        lines.push_back({number, std::move(parts[0]), std::move(parts[1]), std::move(parts[2])});
    }
    if (lines.size() <= TopLevelTail) Fail(path, "too few keys");
    return lines;
}

// Keys are stored as they are: ASCII, so the same bytes in every code page.
void RequireAscii(const std::string& where, const std::string& key) {
    for (unsigned char c : key)
        if (c >= 0x80) Fail(where, "the key must be ASCII");
}

// The 936 converter also knows GBK's extension, which readers limited to
// GB2312 (and the GB2312/Big5 conversion) cannot show: allow only the
// GB2312 rows.
void RequireGb2312(const std::string& where, const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) continue;
        const auto trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
            Fail(where, "zh-CN text has a character outside GB2312");
        ++i;
    }
}

std::string Encode(const std::string& where, const std::string& utf8, int codePage) {
    const std::u16string text = lex::DecodeText(utf8, 65001);
    if (text.find(u'\uFFFD') != std::u16string::npos) Fail(where, "the line is not UTF-8");
    try {
        return lex::EncodeText(text, codePage);
    } catch (const std::exception& error) {
        Fail(where, "code page " + std::to_string(codePage) + ": " + error.what());
    }
}

std::string BuildLexicon(const std::string& path, const std::vector<Line>& lines) {
    std::vector<lex::TLexRecord> records;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const std::string where = path + ":" + std::to_string(line.Number);
        RequireAscii(where, line.Key);
        const std::string simplified = Encode(where, line.Simplified, 936);
        RequireGb2312(where, simplified);
        const std::string traditional = Encode(where, line.Traditional, 950);
        const bool underRoot = i > 0 && i < lines.size() - TopLevelTail;
        const std::string catalog = underRoot ? RootCatalog : "";
        records.push_back({line.Key, "936", "0", simplified, catalog});
        records.push_back({line.Key, "950", "0", traditional, catalog});
    }
    lex::TRecordListLexReader reader({"LexKey", "CodePage", "SeqNo", "DisplayValue", "CatalogID"},
                                     std::move(records));
    std::string bytes;
    lex::StringOutputStream stream(bytes);
    lex::WriteBinaryLex(reader, stream);
    return bytes;
}

std::string CppSource(const std::string& bytes) {
    std::ostringstream out;
    out << "// Generated from tools/lexgui/LexGUI.tsv by GenerateLexGUI; edit the table.\n"
           "#include <cstddef>\n\n"
           "namespace lex {\n\n"
           "extern const unsigned char LexGUIData[];\n"
           "extern const size_t LexGUIDataSize;\n\n"
           "const unsigned char LexGUIData[] = {";
    char hex[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "0x%02X,", static_cast<unsigned char>(bytes[i]));
        out << (i % 16 == 0 ? "\n    " : " ") << hex;
    }
    out << "\n};\n"
           "const size_t LexGUIDataSize = sizeof(LexGUIData);\n\n"
           "} // namespace lex\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: GenerateLexGUI LexGUI.tsv LexGUIData.cpp\n";
        return 2;
    }
    const std::string input = argv[1], output = argv[2];
    try {
        const std::string source = CppSource(BuildLexicon(input, ReadTable(input)));
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        if (!(out << source) || !out.flush()) Fail(output, "cannot write");
    } catch (const std::exception& error) {
        std::remove(output.c_str()); // no half-written source for the next build to pick up
        std::cerr << "GenerateLexGUI: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
