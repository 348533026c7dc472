#include "core/db/drivers/odbc/odbc_driver_settings.h"

#include <odbcinst.h>

#include <array>

#include "core/base/text.h"
#include "core/db/connection_text.h"
#include "core/db/drivers/odbc/odbc_call.h"

namespace tessel::db::odbc {
namespace {

// Rows the PostgreSQL driver reads from its cursor at a time.
constexpr const char* kRowsPerRead = "4096";

std::string ProfileValue(const std::string& section, const std::string& key, const char* file) {
    std::array<char, 1024> value{};
    const int length = SQLGetPrivateProfileString(section.c_str(), key.c_str(), "", value.data(),
                                                  static_cast<int>(value.size()), file);
    if (length <= 0)
        return {};
    return BufferText(reinterpret_cast<const SQLCHAR*>(value.data()), value.size(), length);
}

// A driver named in odbc.ini or a connect text: its library from odbcinst.ini, or the library
// itself where a path is given.
std::string LibraryOfDriver(const std::string& driver) {
    if (driver.empty())
        return {};
    const std::string library = DriverEntry(driver, "Driver");
    if (!library.empty())
        return library;
    return driver.find('/') != std::string::npos ? driver : std::string();
}

}  // namespace

std::string DriverEntry(const std::string& driver, const std::string& key) {
    return ProfileValue(driver, key, "odbcinst.ini");
}

bool LibraryIs(const std::string& library, const std::string& word) {
    const auto slash = library.rfind('/');
    const std::string file =
        base::LowerAscii(slash == std::string::npos ? library : library.substr(slash + 1));
    return file.find(word) != std::string::npos;
}

std::string DriverLibraryOf(const std::string& connectText) {
    if (const auto driver = ConnectValue(connectText, "DRIVER"))
        return LibraryOfDriver(*driver);
    if (const auto source = ConnectValue(connectText, "DSN"))
        return LibraryOfDriver(ProfileValue(*source, "Driver", "odbc.ini"));
    return {};
}

std::string WithRowsAsRead(const std::string& connectText) {
    if (!LibraryIs(DriverLibraryOf(connectText), "psqlodbc") ||
        ConnectValue(connectText, "UseDeclareFetch"))
        return connectText;
    if (const auto source = ConnectValue(connectText, "DSN");
        source && !ProfileValue(*source, "UseDeclareFetch", "odbc.ini").empty())
        return connectText;
    std::string text = connectText;
    if (!text.empty() && text.back() != ';')
        text += ';';
    return text + "UseDeclareFetch=1;Fetch=" + kRowsPerRead + ";";
}

}  // namespace tessel::db::odbc
