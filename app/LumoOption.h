#pragma once

#include "database/DBSettings.h"
#include "editor/EditorStyle.h"
#include "runtime/LumoMultiLex.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

class TIniFile;

// The user's options, read from the options file when created and written
// back by SaveToIni() at shutdown. The fields are read and written directly by
// the main window, the editors and the database dialogs.
class TLumoOption {
public:
    // Runs LoadFromIni() on the file; a missing or unreadable file leaves the
    // initial values (the latter reported on stderr).
    explicit TLumoOption(std::string FileName);

    const std::string& FileName() const { return fileName_; }

    void LoadFromIni();
    // Replaces DBParams by the "DataBase" section of IniFile, or of the
    // options file itself when IniFile is null (creating nothing; EFOpenError
    // when it is there but cannot be read).
    void LoadDBParams(const TIniFile* IniFile);
    // Writes the option keys into the file, keeping whatever else it holds.
    // Another instance may have saved its options since these were read:
    // a key whose value is still the one read is left as the file has it
    // now, so only what this instance changed goes on top of the other's.
    void SaveToIni() const;

    // The value of the DBParams line of that name (ignoring ASCII case);
    // empty when there is none.
    std::string DBParamValue(std::string_view Name) const;
    // The "DataBase" section as a connection takes it; the embedded database
    // lies beside the options file.
    TDBSettings DBSettings() const;

    std::string CodePage; // the process's code page, as decimal text
    std::string SeqNo = "0";
    // An empty name and size 0 mean the toolkit's default font, so a first
    // run follows the desktop's font rather than one fixed here; the main
    // window then puts the font it uses in their place.
    TLexFont Font;
    TEditorStyle EditorStyle = TEditorStyle::Simple; // any stored byte is kept
    bool ShowEditorGrid = true;
    bool ImmediateEdit = true;
    bool ShowToolBarMenu = true;
    bool ShowToolBarFile = true;
    bool ShowToolBarEdit = true;
    bool ShowToolBarDB = true;
    bool ShowToolBarSearch = true;
    bool ShowToolBarDFM = true;
    std::vector<std::string> HistoryFiles; // oldest first
    bool CaseSensitive = false;
    bool ChinesePhrases = true; // Translate To GB/Big5 by words, not by characters
    // The main window as it was left: its normal geometry (a width of 0 for
    // none yet), whether maximised, and the layout of its tool bars in the
    // window's own encoding, as base64 text. The key column's width is the
    // one the user last gave it in any editor.
    int WindowLeft = 0;
    int WindowTop = 0;
    int WindowWidth = 0;
    int WindowHeight = 0;
    bool WindowMaximized = true;
    std::string ToolBarLayout;
    int KeyColumnWidth = DefaultKeyColumnWidth;
    static constexpr int DefaultKeyColumnWidth = 140;
    std::string GetDriverFunc;
    std::string LibraryName;
    std::string VendorLib;
    std::vector<std::string> DBParams; // "name=value" lines

private:
    struct TIniEntry {
        std::string_view Section;
        std::string Ident;
        std::string Value;
        bool operator==(const TIniEntry&) const = default;
    };
    // Every key SaveToIni writes, with the text it writes.
    std::vector<TIniEntry> IniEntries() const;

    std::string fileName_;
    std::vector<TIniEntry> read_; // the keys as the file had them when read
};

// The options file of a program: its path with the extension replaced by
// ".ini". An empty path means the running program.
std::string DefaultOptionsPath(std::string_view ProgramPath = {});

// The global options, alive between InitializeLumoOption() and
// FinalizeLumoOption(). A second start-up replaces the first one's options
// without saving them.
extern std::unique_ptr<TLumoOption> LumoOption;
void InitializeLumoOption(std::string FileName);
// Saves the options and destroys them. Runs at shutdown, so a failed save is
// reported on stderr instead of thrown.
void FinalizeLumoOption() noexcept;

} // namespace lex
