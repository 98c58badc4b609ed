#include "platform/Exceptions.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

// Reads an options file through every query, changes a key, saves it and
// reads it again: what was held in memory must be what comes back from disk.
namespace {

// One file per fuzzing process, removed when it ends.
const std::string& TempPath() {
    static const struct File {
        std::string path = "/tmp/fuzz_ini_" + std::to_string(::getpid()) + ".ini";
        ~File() { std::remove(path.c_str()); }
    } file;
    return file.path;
}

std::vector<std::string> SectionNames(std::string_view text) {
    std::vector<std::string> names{"Option", "DataBase", "History"};
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with('[')) names.emplace_back(line.substr(1, line.find(']') - 1));
        at = end + 1;
    }
    return names;
}

using Snapshot = std::vector<std::vector<std::pair<std::string, std::string>>>;

Snapshot Read(const lex::TIniFile& ini, const std::vector<std::string>& sections) {
    Snapshot snapshot;
    for (const std::string& section : sections) {
        snapshot.push_back(ini.ReadSectionValues(section));
        for (const auto& [key, value] : snapshot.back()) {
            if (ini.ReadString(section, key, "") != value) __builtin_trap();
            ini.ReadInteger(section, key, 0);
            ini.ReadBool(section, key, false);
        }
    }
    return snapshot;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string& path = TempPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), text.size());
    try {
        lex::TIniFile ini(path);
        const std::vector<std::string> sections = SectionNames(text);
        Read(ini, sections);
        // A value made of the input's last bytes, where a line can hold it.
        const std::string value(text.substr(size > 16 ? size - 16 : 0));
        if (lex::TIniFile::CanHoldValue(value)) ini.WriteString("Option", "Fuzz", value);
        ini.UpdateFile();
        const Snapshot held = Read(ini, sections);
        if (Read(lex::TIniFile(path), sections) != held) __builtin_trap();
    } catch (const lex::Exception&) {
    }
    return 0;
}
