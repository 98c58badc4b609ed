// How closely `lextool chinese --phrases` follows OpenCC on real text: the
// Simplified Chinese manual pages are converted both ways by lextool and by
// the opencc command, and compared character by character. The few that
// differ are characters one code page cannot hold, which take the tables'
// answer. Exits 77 (skipped) when the pages are not installed, unless
// LEX_CHINESE_CORPUS_REQUIRED is set.
#include "platform/CodePage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace lex;

namespace {

std::string ReadFile(const fs::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

void Run(const std::string& Command) {
    if (std::system(Command.c_str()) != 0) throw std::runtime_error("failed: " + Command);
}

// Every page decompressed into one text, UTF-8 as the package holds it.
std::string ReadCorpus(const fs::path& Dir, const fs::path& Work) {
    std::string corpus;
    for (const auto& entry : fs::recursive_directory_iterator(Dir)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".gz") continue;
        Run("gzip -dc '" + entry.path().string() + "' > '" + (Work / "page").string() + "'");
        corpus += ReadFile(Work / "page");
    }
    return corpus;
}

// The characters of Text the code page can hold, and their bytes in it; line
// by line, character by character only in the rare line that needs it.
std::string Encodable(std::u16string_view Text, int CodePage, std::string& Bytes) {
    std::u16string kept;
    while (!Text.empty()) {
        const size_t end = Text.find(u'\n');
        const std::u16string_view line = Text.substr(0, end == Text.npos ? end : end + 1);
        Text.remove_prefix(line.size());
        try {
            Bytes += EncodeText(line, CodePage);
            kept += line;
            continue;
        } catch (const std::exception&) {
        }
        for (const char16_t c : line) {
            try {
                Bytes += EncodeText(std::u16string_view(&c, 1), CodePage);
                kept += c;
            } catch (const std::exception&) {
            }
        }
    }
    return EncodeText(kept, 65001);
}

bool IsHan(char16_t C) {
    return (C >= 0x3400 && C <= 0x9FFF) || (C >= 0xF900 && C <= 0xFAFF);
}

// Han characters of the reference and how many of them ours has too, line by
// line: a line agrees up to its first difference from either end, so a
// fallback of another length (two blanks for one character) costs only the
// characters between.
void Compare(std::u16string_view Ours, std::u16string_view Reference, long& Han, long& Agree) {
    while (!Ours.empty() || !Reference.empty()) {
        const std::u16string_view a = Ours.substr(0, Ours.find(u'\n'));
        const std::u16string_view b = Reference.substr(0, Reference.find(u'\n'));
        const size_t shorter = std::min(a.size(), b.size());
        size_t prefix = 0, suffix = 0;
        while (prefix < shorter && a[prefix] == b[prefix])
            ++prefix;
        while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
            ++suffix;
        for (size_t i = 0; i < b.size(); ++i) {
            if (!IsHan(b[i])) continue;
            ++Han;
            Agree += i < prefix || i >= b.size() - suffix;
        }
        Ours.remove_prefix(std::min(Ours.size(), a.size() + 1));
        Reference.remove_prefix(std::min(Reference.size(), b.size() + 1));
    }
}

double Direction(const std::string& Name, const std::string& LexTool, const fs::path& Work,
                 const std::string& SourceUtf8, const std::string& SourceBytes, int Target,
                 const char* Config) {
    WriteFile(Work / "in.utf8", SourceUtf8);
    WriteFile(Work / "in.bytes", SourceBytes);
    Run("opencc -c " + std::string(Config) + " -i '" + (Work / "in.utf8").string() + "' -o '" +
        (Work / "ref.utf8").string() + "'");
    Run("'" + LexTool + "' chinese " + Name + " --phrases < '" + (Work / "in.bytes").string() +
        "' > '" + (Work / "ours.bytes").string() + "'");
    long han = 0, agree = 0;
    Compare(DecodeText(ReadFile(Work / "ours.bytes"), Target),
            DecodeText(ReadFile(Work / "ref.utf8"), 65001), han, agree);
    const double percent = han ? 100.0 * agree / han : 0;
    std::printf("%s: %ld of %ld Han characters agree with opencc -c %s: %.3f%%\n", Name.c_str(),
                agree, han, Config, percent);
    return percent;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: chinese_agreement LEXTOOL CORPUS-DIR\n";
        return 2;
    }
    const fs::path corpusDir = argv[2];
    if (!fs::is_directory(corpusDir)) {
        std::cerr << corpusDir << " not found (Debian package manpages-zh)\n";
        return std::getenv("LEX_CHINESE_CORPUS_REQUIRED") ? 1 : 77;
    }
    try {
        const fs::path work =
            fs::temp_directory_path() / ("lex-agreement-" + std::to_string(getpid()));
        fs::create_directories(work);
        const std::u16string corpus = DecodeText(ReadCorpus(corpusDir, work), 65001);
        std::string gb;
        const std::string simplified = Encodable(corpus, 936, gb);
        const double toBig5 = Direction("gb2big5", argv[1], work, simplified, gb, 950, "s2twp");
        // The other way starts from OpenCC's Taiwan text of the same pages.
        std::string big5;
        const std::string traditional =
            Encodable(DecodeText(ReadFile(work / "ref.utf8"), 65001), 950, big5);
        const double toGb = Direction("big52gb", argv[1], work, traditional, big5, 936, "tw2sp");
        if (!std::getenv("LEX_KEEP")) fs::remove_all(work);
        return toBig5 >= 99.95 && toGb >= 99.95 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
