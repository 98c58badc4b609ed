#include "editor/LexDocument.h"
#include "interchange/InterchangeTest.h"
#include "interchange/LexInterchange.h"
#include "interchange/PoFormat.h"
#include "interchange/TsFormat.h"
#include "platform/FileUtil.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>

namespace lex {
namespace {

namespace fs = std::filesystem;
using test::InterchangeTest;
using test::StandardFields;
using test::TempDir;

// Real catalogues' source texts go beyond any one legacy code page; keys are
// in the process's code page, so this process takes UTF-8 for them.
const bool Utf8Keys = setenv("LEXMANAGER_CODEPAGE", "65001", 1) == 0;

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult RunTool(const std::string& Command) {
    RunResult result;
    FILE* pipe = popen((Command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const std::string& Path) {
    return "'" + Path + "'";
}

std::string OnPath(const std::string& Name) {
    const RunResult found = RunTool("command -v " + Name);
    std::string path = found.output.substr(0, found.output.find('\n'));
    return found.status == 0 && fs::exists(path) ? path : std::string();
}

// Qt's tools live in Qt's own bin folder, which is seldom on PATH.
std::string QtTool(const std::string& Name) {
    for (const char* qtpaths : {"qtpaths6", "qtpaths"}) {
        const RunResult bins = RunTool(std::string(qtpaths) + " --query QT_HOST_BINS");
        if (bins.status != 0) continue;
        const fs::path tool = fs::path(bins.output.substr(0, bins.output.find('\n'))) / Name;
        if (fs::exists(tool)) return tool.string();
    }
    const fs::path fallback = fs::path("/usr/lib/qt6/bin") / Name;
    return fs::exists(fallback) ? fallback.string() : OnPath(Name);
}

#define REQUIRE_TOOL(variable, finder, name, package)                                              \
    const std::string variable = finder(name);                                                     \
    if (variable.empty()) FAIL() << name " not found: install the Debian package " package;

std::vector<TLexRecord> Lexicon() {
    return {
        {"&File", "936", "0", "\xCE\xC4\xBC\xFE(&F)", ""},
        {"Open %s...", "936", "0", "\xB4\xF2\xBF\xAA %s...", "&File"},
        {"Tabs\tand \"quotes\" <&>", "936", "0", "\xB4\xF2\tx", "&File"},
        {"Control\x01", "936", "0", "y\x02", ""},
        {"Untranslated", "1252", "0", "only western", ""},
    };
}

std::map<std::u16string, std::u16string> Values(const TTranslationCatalog& Catalog) {
    std::map<std::u16string, std::u16string> values;
    for (const TTranslationUnit& unit : Catalog.Units)
        if (!unit.Values.empty() && !unit.Values[0].empty()) values[unit.Key] = unit.Values[0];
    return values;
}

class RealToolsTest : public InterchangeTest {
protected:
    RealToolsTest() {
        Load(doc, StandardFields, Lexicon());
        expected = Values(ExportLanguage(doc, LanguageColumn(doc, "936", "0")));
    }
    TLexDocument doc;
    std::map<std::u16string, std::u16string> expected;
    TempDir dir;
};

TEST_F(RealToolsTest, APoWeExportPassesMsgfmtCheckAndCompiles) {
    REQUIRE_TOOL(msgfmt, OnPath, "msgfmt", "gettext");
    REQUIRE_TOOL(msgunfmt, OnPath, "msgunfmt", "gettext");
    const std::string po = dir / "zh.po";
    ExportLanguageToFile(doc, LanguageColumn(doc, "936", "0"), po);
    const RunResult check =
        RunTool(msgfmt + " --check -o " + Quote(dir / "zh.mo") + " " + Quote(po));
    ASSERT_EQ(check.status, 0) << check.output;
    const RunResult back = RunTool(msgunfmt + " " + Quote(dir / "zh.mo"));
    ASSERT_EQ(back.status, 0) << back.output;
    EXPECT_TRUE(Values(ReadPo(back.output)) == expected);
}

TEST_F(RealToolsTest, ATsWeExportIsReadByLconvertAndCompilesWithLrelease) {
    REQUIRE_TOOL(lconvert, QtTool, "lconvert", "qt6-l10n-tools");
    REQUIRE_TOOL(lrelease, QtTool, "lrelease", "qt6-l10n-tools");
    const std::string ts = dir / "zh.ts";
    ExportLanguageToFile(doc, LanguageColumn(doc, "936", "0"), ts);
    const RunResult converted =
        RunTool(lconvert + " -i " + Quote(ts) + " -o " + Quote(dir / "again.ts"));
    ASSERT_EQ(converted.status, 0) << converted.output;
    const TTranslationCatalog again = ReadTs(ReadFileBytes(dir / "again.ts"));
    EXPECT_TRUE(Values(again) == expected);
    EXPECT_EQ(again.Units.size(), 5u);

    const RunResult released = RunTool(lrelease + " " + Quote(ts) + " -qm " + Quote(dir / "zh.qm"));
    ASSERT_EQ(released.status, 0) << released.output;
    const RunResult fromQm =
        RunTool(lconvert + " -i " + Quote(dir / "zh.qm") + " -o " + Quote(dir / "qm.ts"));
    ASSERT_EQ(fromQm.status, 0) << fromQm.output;
    EXPECT_TRUE(Values(ReadTs(ReadFileBytes(dir / "qm.ts"))) == expected);
}

// A catalogue imported into a case-sensitive lexicon as UTF-8 values, then
// exported again: every key comes back with its translation, plural forms
// and parent. Keys that a catalogue holds twice (in two contexts) share one
// entry of the lexicon, which keeps one of their translations.
void ExpectImportedWithoutLoss(const TTranslationCatalog& Catalog, const std::string& Name) {
    SCOPED_TRACE(Name);
    TLexEditorOptions options;
    options.CaseSensitive = true;
    TLexDocument lexicon(options);
    ASSERT_TRUE(Utf8Keys);
    const std::vector<TImportProblem> problems = ImportCatalog(lexicon, Catalog, "65001", "0", {});
    ASSERT_TRUE(problems.empty()) << DescribeProblem(Name, problems.front());
    std::map<std::u16string, std::vector<const TTranslationUnit*>> byKey;
    size_t forms = 0;
    for (const TTranslationUnit& unit : Catalog.Units) {
        byKey[unit.Key].push_back(&unit);
        forms = std::max(forms, unit.Values.size());
    }
    std::vector<std::map<std::u16string, const TTranslationUnit*>> exported(
        std::max<size_t>(forms, 1));
    std::vector<TTranslationCatalog> catalogs;
    for (size_t form = 0; form < exported.size(); ++form) {
        catalogs.push_back(
            ExportLanguage(lexicon, LanguageColumn(lexicon, "65001", std::to_string(form))));
    }
    for (size_t form = 0; form < exported.size(); ++form)
        for (const TTranslationUnit& unit : catalogs[form].Units)
            exported[form][unit.Key] = &unit;
    size_t checked = 0;
    for (const auto& [key, units] : byKey) {
        ASSERT_TRUE(exported[0].count(key)) << "key lost";
        for (size_t form = 0; form < exported.size(); ++form) {
            const TTranslationUnit& back = *exported[form].at(key);
            const std::u16string value = back.Values.empty() ? u"" : back.Values[0];
            // One of the entries gave the value, maybe another the parent.
            const bool valueFound = std::any_of(units.begin(), units.end(), [&](const auto* unit) {
                return (form < unit->Values.size() ? unit->Values[form] : u"") == value;
            });
            const bool parentFound = std::any_of(units.begin(), units.end(), [&](const auto* unit) {
                return unit->ParentKey == back.ParentKey;
            });
            EXPECT_TRUE(valueFound && parentFound)
                << "lost: " << QString::fromStdU16String(key).toStdString() << " form " << form;
        }
        ++checked;
    }
    EXPECT_GT(checked, 10u);
}

// The first catalogue of each of a few languages, in name order, so that
// the run stays short and the same.
std::vector<fs::path> FirstFiles(const fs::path& Folder, const std::vector<std::string>& Patterns,
                                 const std::string& Extension) {
    std::vector<fs::path> files;
    for (const std::string& pattern : Patterns) {
        std::vector<fs::path> matches;
        const fs::path folder = Folder / pattern;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == Extension) matches.push_back(entry.path());
        std::sort(matches.begin(), matches.end());
        if (!matches.empty()) files.push_back(matches.front());
    }
    return files;
}

TEST_F(RealToolsTest, DebianCatalogsImportWithoutLoss) {
    REQUIRE_TOOL(msgunfmt, OnPath, "msgunfmt", "gettext");
    const std::vector<fs::path> files = FirstFiles(
        "/usr/share/locale",
        {"de/LC_MESSAGES", "zh_CN/LC_MESSAGES", "ja/LC_MESSAGES", "ru/LC_MESSAGES"}, ".mo");
    ASSERT_GE(files.size(), 2u) << "no compiled catalogues under /usr/share/locale";
    for (const fs::path& file : files) {
        const RunResult po = RunTool(msgunfmt + " " + Quote(file.string()));
        ASSERT_EQ(po.status, 0) << po.output;
        ExpectImportedWithoutLoss(ReadPo(po.output), file.string());
    }
}

TEST_F(RealToolsTest, QtCatalogsImportWithoutLoss) {
    REQUIRE_TOOL(lconvert, QtTool, "lconvert", "qt6-l10n-tools");
    const RunResult folder = RunTool("qtpaths6 --query QT_INSTALL_TRANSLATIONS");
    const fs::path translations = folder.status == 0
                                      ? fs::path(folder.output.substr(0, folder.output.find('\n')))
                                      : fs::path("/usr/share/qt6/translations");
    std::vector<fs::path> files;
    for (const char* name : {"qtbase_de.qm", "qtbase_zh_CN.qm", "qtbase_ja.qm"})
        if (fs::exists(translations / name)) files.push_back(translations / name);
    ASSERT_GE(files.size(), 2u) << "no Qt catalogues in " << translations
                                << ": install the Debian package qt6-translations-l10n";
    for (const fs::path& file : files) {
        const std::string ts = dir / (file.stem().string() + ".ts");
        const RunResult converted =
            RunTool(lconvert + " -i " + Quote(file.string()) + " -o " + Quote(ts));
        ASSERT_EQ(converted.status, 0) << converted.output;
        ExpectImportedWithoutLoss(ReadTs(ReadFileBytes(ts)), file.string());
    }
}

} // namespace
} // namespace lex
