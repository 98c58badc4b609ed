#include "database/DBSettings.h"

#include "database/DBText.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/IniFile.h"

#include <array>
#include <charconv>
#include <filesystem>

namespace lex {
namespace {

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct TDriverName {
    std::string_view Name;
    const char* QtDriver;
};
constexpr std::array<TDriverName, 4> DriverNames = {
    {{"SQLite", "QSQLITE"}, {"PostgreSQL", "QPSQL"}, {"MySQL", "QMYSQL"}, {"ODBC", "QODBC"}}};

QString QtDriver(std::string_view DriverName) {
    for (const TDriverName& driver : DriverNames)
        if (SameAscii(driver.Name, DriverName)) return QString::fromLatin1(driver.QtDriver);
    throw EDatabaseError(FormatText(
        "Unknown database driver \"%s\": DriverName must be SQLite, PostgreSQL, MySQL or ODBC",
        {DriverName}));
}

QString ParamText(std::string_view Name, std::string_view Value) {
    try {
        return DatabaseText(Value, ProcessCodePage());
    } catch (const EConvertError& e) {
        throw EDatabaseError(FormatText("Parameter %s: %s", {Name, e.what()}));
    }
}

std::string EmbeddedFile(std::string_view Database, const std::string& OptionsFileName) {
    std::filesystem::path file(Database.empty() ? std::string_view("LexManager.db") : Database);
    if (file.is_relative()) file = std::filesystem::path(OptionsFileName).parent_path() / file;
    return file.string();
}

} // namespace

std::string ParamValue(const std::vector<std::string>& Params, std::string_view Name) {
    for (const std::string& line : Params) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameAscii(std::string_view(line).substr(0, equals), Name))
            return line.substr(equals + 1);
    }
    return {};
}

TDBSettings ReadDBSettings(const std::string& OptionsFileName) {
    TDBSettings settings;
    settings.OptionsFileName = OptionsFileName;
    if (!std::filesystem::exists(OptionsFileName)) return settings;
    for (const auto& [name, value] : TIniFile(OptionsFileName).ReadSectionValues("DataBase"))
        settings.Params.push_back(name + "=" + value);
    settings.GetDriverFunc = ParamValue(settings.Params, "GetDriverFunc");
    settings.LibraryName = ParamValue(settings.Params, "LibraryName");
    settings.VendorLib = ParamValue(settings.Params, "VendorLib");
    return settings;
}

TConnectionTarget ResolveConnection(const TDBSettings& Settings) {
    const auto value = [&](std::string_view name) { return ParamValue(Settings.Params, name); };
    TConnectionTarget target;
    const std::string driverName = value("DriverName");
    target.Embedded = driverName.empty();
    target.Driver = target.Embedded ? QStringLiteral("QSQLITE") : QtDriver(driverName);
    const auto text = [&](std::string_view name) { return ParamText(name, value(name)); };
    target.HostName = text("HostName");
    target.UserName = text("User_Name");
    target.Password = text("Password");
    const std::string database = value("Database");
    target.DatabaseName = ParamText(
        "Database",
        target.Driver == u"QSQLITE" ? EmbeddedFile(database, Settings.OptionsFileName) : database);
    if (const std::string port = value("Port"); !port.empty()) {
        const char* end = port.data() + port.size();
        const auto [last, error] = std::from_chars(port.data(), end, target.Port);
        if (error != std::errc() || last != end || target.Port <= 0 || target.Port > 65535)
            throw EDatabaseError(FormatText("Port \"%s\" is not a port number", {port}));
    }
    return target;
}

} // namespace lex
