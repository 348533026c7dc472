#include "core/db/drivers/odbc/odbc_registration.h"

#include <dlfcn.h>
#include <odbcinst.h>

#include <array>

#include "core/base/text.h"
#include "core/db/drivers/odbc/odbc_call.h"
#include "core/db/drivers/odbc/odbc_driver_settings.h"
#include "core/db/names.h"

namespace tessel::db::odbc {

namespace {

constexpr const char* kDataSourcesFile = "odbc.ini";

// True when the driver's setup library, as odbcinst.ini names it, loads and offers ConfigDSN:
// the driver manager answers only "general installer error" for one that does not.
bool HasSetupRoutine(const std::string& driver) {
    const std::string setup = DriverEntry(driver, "Setup");
    if (setup.empty())
        return false;
    void* library = dlopen(setup.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    const bool found = dlsym(library, "ConfigDSN") != nullptr;
    dlclose(library);
    return found;
}

// The installer's first message after a failed call, and its code.
std::pair<DWORD, std::string> InstallerError() {
    DWORD code = 0;
    std::array<char, 1024> message{};
    WORD length = 0;
    if (SQLInstallerError(1, &code, message.data(), static_cast<WORD>(message.size()), &length) !=
        SQL_SUCCESS) {
        return {0, "the driver manager gave no reason"};
    }
    return {code,
            BufferText(reinterpret_cast<const SQLCHAR*>(message.data()), message.size(), length)};
}

EngineError RegistrationFailed(long number, const std::string& dataSourceName,
                               const std::string& why) {
    return EngineError(
        number, "The data source '" + dataSourceName + "' could not be registered: " + why + ".",
        kOdbcSource);
}

std::vector<std::pair<std::string, std::string>> SplitAttributes(const std::string& attributes) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t start = 0;
    while (start < attributes.size()) {
        std::size_t end = attributes.find('\0', start);
        if (end == std::string::npos)
            end = attributes.size();
        const std::string piece = attributes.substr(start, end - start);
        if (const auto equals = piece.find('='); equals != std::string::npos)
            pairs.emplace_back(piece.substr(0, equals), piece.substr(equals + 1));
        start = end + 1;
    }
    return pairs;
}

// Writes the data source into the user's odbc.ini.
void WriteUserDataSource(const std::string& dataSourceName, const std::string& driver,
                         const std::string& attributes) {
    if (dataSourceName.empty())
        throw RegistrationFailed(err::kInvalidArgument, dataSourceName,
                                 "it has no name; enter a data source name");
    const std::string library = DriverEntry(driver, "Driver");
    if (library.empty()) {
        throw RegistrationFailed(err::kNoDriver, dataSourceName,
                                 "the driver '" + driver +
                                     "' is not installed (odbcinst.ini has no "
                                     "entry for it)");
    }
    SQLSetConfigMode(ODBC_USER_DSN);
    bool written = SQLWriteDSNToIni(dataSourceName.c_str(), driver.c_str()) != 0;
    for (const auto& [key, value] : DataSourceKeys(library, attributes)) {
        if (!written)
            break;
        written = SQLWritePrivateProfileString(dataSourceName.c_str(), key.c_str(), value.c_str(),
                                               kDataSourcesFile) != 0;
    }
    const auto [code, message] = written ? std::pair<DWORD, std::string>{} : InstallerError();
    SQLSetConfigMode(ODBC_BOTH_DSN);
    if (!written)
        throw RegistrationFailed(err::kReserved, dataSourceName, message);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DataSourceKeys(const std::string& driverLibrary,
                                                                const std::string& attributes) {
    const bool sqlite = LibraryIs(driverLibrary, "sqlite");
    const bool postgres = LibraryIs(driverLibrary, "psqlodbc");
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto& [key, value] : SplitAttributes(attributes)) {
        if (value.empty())
            continue;
        if (SameName(key, "Server") && postgres) {
            // "host:port" names both, as the driver keeps them apart.
            const auto colon = value.rfind(':');
            if (colon != std::string::npos && colon + 1 < value.size() &&
                value.find_first_not_of("0123456789", colon + 1) == std::string::npos) {
                keys.emplace_back("Servername", value.substr(0, colon));
                keys.emplace_back("Port", value.substr(colon + 1));
            } else {
                keys.emplace_back("Servername", value);
            }
        } else if (SameName(key, "Server") && sqlite) {
            continue;  // a file database has no server
        } else if (SameName(key, "Database") && !sqlite && !postgres) {
            keys.emplace_back("Database", value);
            keys.emplace_back("DBQ", value);
        } else {
            keys.emplace_back(key, value);
        }
    }
    return keys;
}

void RegisterDataSource(const std::string& dataSourceName, const std::string& driver, bool silent,
                        const std::string& attributes) {
    if (!silent && HasSetupRoutine(driver)) {
        std::string list = "DSN=" + dataSourceName;
        list += '\0';
        list += attributes;
        list += '\0';
        if (SQLConfigDataSource(nullptr, ODBC_ADD_DSN, driver.c_str(), list.c_str()) != 0)
            return;
        // The driver's setup refused, or the person cancelled it.
        throw RegistrationFailed(err::kOdbcFailed, dataSourceName, InstallerError().second);
    }
    WriteUserDataSource(dataSourceName, driver, attributes);
}

}  // namespace tessel::db::odbc
