// The driver manager's lists of data sources and drivers.
#include <array>

#include "core/db/drivers/odbc/odbc_call.h"
#include "core/db/odbc.h"

namespace tessel::db {

namespace {

// Walks one of the driver manager's lists (SQLDataSources, SQLDrivers) from its start;
// `visit` gets the two texts of each entry.
template <typename Call, typename Visit>
void WalkList(Call call, Visit visit) {
    const odbc::Handle env = odbc::NewEnvironment();
    std::array<SQLCHAR, 1024> first{};
    std::array<SQLCHAR, 1024> second{};
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT firstLength = 0;
        SQLSMALLINT secondLength = 0;
        const SQLRETURN result = call(
            env.get(), direction, first.data(), static_cast<SQLSMALLINT>(first.size()),
            &firstLength, second.data(), static_cast<SQLSMALLINT>(second.size()), &secondLength);
        if (!odbc::Succeeded(result))
            break;
        visit(odbc::BufferText(first.data(), first.size(), firstLength),
              odbc::BufferText(second.data(), second.size(), secondLength));
        direction = SQL_FETCH_NEXT;
    }
}

}  // namespace

std::vector<OdbcDataSourceEntry> OdbcDataSources() {
    std::vector<OdbcDataSourceEntry> sources;
    WalkList(SQLDataSources, [&](std::string name, std::string driver) {
        sources.push_back({std::move(name), std::move(driver)});
    });
    return sources;
}

std::vector<std::string> OdbcDrivers() {
    std::vector<std::string> drivers;
    // The second text of each entry is its attribute list, not needed here.
    WalkList(SQLDrivers,
             [&](std::string description, const std::string&) { drivers.push_back(description); });
    return drivers;
}

}  // namespace tessel::db
