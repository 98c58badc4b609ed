#include "app/LumoOption.h"

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>

namespace lex {
namespace {

constexpr std::string_view SectionFont = "Font";
constexpr std::string_view SectionEditor = "Editor";
constexpr std::string_view SectionToolBar = "ToolBar";
constexpr std::string_view SectionContent = "Content";
constexpr std::string_view SectionHistory = "HistoryFile";
constexpr std::string_view SectionDataBase = "DataBase";
constexpr std::string_view SectionWindow = "Window";

// The integers in file order, with the field each one fills and the values
// a field can take; anything else reads as the field's initial value.
struct TIntegerKey {
    std::string_view Section;
    std::string_view Ident;
    int TLumoOption::*Field;
    int Min;
    int Max;
};
// No screen is a hundred thousand pixels wide: a larger number is garbage.
constexpr int MaxPixels = 100000;
constexpr TIntegerKey IntegerKeys[] = {
    {SectionEditor, "KeyColumnWidth", &TLumoOption::KeyColumnWidth, 8, MaxPixels},
    {SectionWindow, "Left", &TLumoOption::WindowLeft, -MaxPixels, MaxPixels},
    {SectionWindow, "Top", &TLumoOption::WindowTop, -MaxPixels, MaxPixels},
    {SectionWindow, "Width", &TLumoOption::WindowWidth, 0, MaxPixels},
    {SectionWindow, "Height", &TLumoOption::WindowHeight, 0, MaxPixels},
};

std::string_view Trim(std::string_view Text) {
    while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ')
        Text.remove_prefix(1);
    while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
        Text.remove_suffix(1);
    return Text;
}

// Parameter names are ASCII identifiers, matched the way the options file
// matches its keys; a locale's rules (the Turkish dotless i) must not apply.
bool SameAsciiText(std::string_view A, std::string_view B) {
    const auto lower = [](char C) { return C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C; };
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(),
                                              [&](char X, char Y) { return lower(X) == lower(Y); });
}

// The switches in file order, with the field each one fills.
struct TSwitchKey {
    std::string_view Section;
    std::string_view Ident;
    bool TLumoOption::*Field;
};
constexpr TSwitchKey SwitchKeys[] = {
    {SectionEditor, "ShowEditorGrid", &TLumoOption::ShowEditorGrid},
    {SectionEditor, "ImmediateEdit", &TLumoOption::ImmediateEdit},
    {SectionToolBar, "ShowToolBarMenu", &TLumoOption::ShowToolBarMenu},
    {SectionToolBar, "ShowToolBarFile", &TLumoOption::ShowToolBarFile},
    {SectionToolBar, "ShowToolBarEdit", &TLumoOption::ShowToolBarEdit},
    {SectionToolBar, "ShowToolBarDB", &TLumoOption::ShowToolBarDB},
    {SectionToolBar, "ShowToolBarSearch", &TLumoOption::ShowToolBarSearch},
    {SectionToolBar, "ShowToolBarDFM", &TLumoOption::ShowToolBarDFM},
    {SectionContent, "CaseSensitive", &TLumoOption::CaseSensitive},
    {SectionContent, "ChinesePhrases", &TLumoOption::ChinesePhrases},
    {SectionWindow, "Maximized", &TLumoOption::WindowMaximized},
};

} // namespace

TLumoOption::TLumoOption(std::string FileName)
    : CodePage(std::to_string(ProcessCodePage())), fileName_(std::move(FileName)) {
    LoadFromIni();
}

void TLumoOption::LoadFromIni() {
    read_.clear();
    // A file that is there but cannot be read leaves the initial values, as a
    // missing one does; the save at shutdown then fails the same way and so
    // never replaces it.
    std::optional<TIniFile> file;
    try {
        file.emplace(fileName_);
    } catch (const EFOpenError& error) {
        std::cerr << "Lex Manager: the options were not read: " << error.what() << '\n';
        return;
    }
    const TIniFile& ini = *file;
    if (!ini.FileExists()) return;

    Font.Name = ini.ReadString(SectionFont, "FontName", Font.Name);
    Font.Size = ini.ReadInteger(SectionFont, "FontSize", Font.Size);
    // The field is a byte: a number outside it reads as unreadable.
    const int style = ini.ReadInteger(SectionEditor, "EditorStyle", static_cast<int>(EditorStyle));
    if (style >= 0 && style <= 255) EditorStyle = static_cast<TEditorStyle>(style);
    for (const TSwitchKey& key : SwitchKeys)
        this->*key.Field = ini.ReadBool(key.Section, key.Ident, this->*key.Field);
    for (const TIntegerKey& key : IntegerKeys) {
        const int value = ini.ReadInteger(key.Section, key.Ident, this->*key.Field);
        if (value >= key.Min && value <= key.Max) this->*key.Field = value;
    }
    ToolBarLayout = ini.ReadString(SectionWindow, "ToolBarLayout", ToolBarLayout);

    HistoryFiles.clear();
    for (auto& [name, file] : ini.ReadSectionValues(SectionHistory))
        HistoryFiles.push_back(std::move(file));

    LoadDBParams(&ini);
    for (TIniEntry& entry : IniEntries())
        if (ini.ValueExists(entry.Section, entry.Ident) &&
            ini.ReadString(entry.Section, entry.Ident, "") == entry.Value)
            read_.push_back(std::move(entry));
}

void TLumoOption::LoadDBParams(const TIniFile* IniFile) {
    if (!IniFile) {
        const TIniFile ini(fileName_);
        LoadDBParams(&ini);
        return;
    }
    DBParams.clear();
    for (const auto& [name, value] : IniFile->ReadSectionValues(SectionDataBase))
        DBParams.push_back(name + "=" + value);
    GetDriverFunc = DBParamValue("GetDriverFunc");
    LibraryName = DBParamValue("LibraryName");
    VendorLib = DBParamValue("VendorLib");
}

std::string TLumoOption::DBParamValue(std::string_view Name) const {
    for (const std::string& line : DBParams) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameAsciiText(std::string_view(line).substr(0, equals), Name))
            return line.substr(equals + 1);
    }
    return {};
}

TDBSettings TLumoOption::DBSettings() const {
    return {GetDriverFunc, LibraryName, VendorLib, DBParams, fileName_};
}

std::vector<TLumoOption::TIniEntry> TLumoOption::IniEntries() const {
    std::vector<TIniEntry> entries = {
        {SectionFont, "FontName", Font.Name},
        {SectionFont, "FontSize", std::to_string(Font.Size)},
        {SectionEditor, "EditorStyle", std::to_string(static_cast<int>(EditorStyle))}};
    for (const TSwitchKey& key : SwitchKeys)
        entries.push_back({key.Section, std::string(key.Ident), this->*key.Field ? "1" : "0"});
    for (const TIntegerKey& key : IntegerKeys)
        entries.push_back({key.Section, std::string(key.Ident), std::to_string(this->*key.Field)});
    if (TIniFile::CanHoldValue(ToolBarLayout))
        entries.push_back({SectionWindow, "ToolBarLayout", ToolBarLayout});

    // A name with a line break cannot live in a line-based file; leaving it
    // out keeps the rest of the history.
    int index = 0;
    for (const std::string& file : HistoryFiles)
        if (TIniFile::CanHoldValue(file))
            entries.push_back({SectionHistory, std::to_string(index++), file});

    // Likewise a line without a name (nothing before an '=', or no '=') has no
    // key to go under.
    for (const std::string_view line : DBParams) {
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (TIniFile::CanHoldKey(name) && TIniFile::CanHoldValue(value))
            entries.push_back({SectionDataBase, std::string(name), std::string(value)});
    }
    return entries;
}

void TLumoOption::SaveToIni() const {
    const std::vector<TIniEntry> entries = IniEntries();
    // The file is read again just before it is replaced; should yet another
    // save slip in between, the replacement is refused and the merge redone.
    for (int attempt = 1;; ++attempt) {
        TIniFile ini(fileName_);
        for (const TIniEntry& entry : entries)
            if (std::find(read_.begin(), read_.end(), entry) == read_.end())
                ini.WriteString(entry.Section, entry.Ident, entry.Value);
        try {
            ini.UpdateFile();
            return;
        } catch (const EFileChanged&) {
            if (attempt == 3) throw;
        }
    }
}

std::string DefaultOptionsPath(std::string_view ProgramPath) {
    std::filesystem::path path(ProgramPath);
    if (path.empty()) {
        std::error_code error;
        path = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) path = "LexManager";
    }
    return path.replace_extension(".ini").string();
}

std::unique_ptr<TLumoOption> LumoOption;

void InitializeLumoOption(std::string FileName) {
    LumoOption = std::make_unique<TLumoOption>(std::move(FileName));
}

void FinalizeLumoOption() noexcept {
    if (!LumoOption) return;
    try {
        LumoOption->SaveToIni();
    } catch (const std::exception& error) {
        std::cerr << "Lex Manager: the options were not saved: " << error.what() << '\n';
    }
    LumoOption.reset();
}

} // namespace lex
