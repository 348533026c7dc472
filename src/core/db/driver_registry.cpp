#include "core/db/driver_registry.h"

#include <algorithm>
#include <filesystem>

namespace tessel::db {

void DriverRegistry::Add(std::unique_ptr<Driver> driver) {
    auto families = driver->Families();
    drivers_.push_back({std::move(driver), std::move(families)});
}

bool DriverRegistry::Entry::Serves(Family family) const {
    return std::find(families.begin(), families.end(), family) != families.end();
}

const DriverRegistry::Entry& DriverRegistry::DefaultFor(Family family, const std::string& name,
                                                        const std::string& typeText) {
    for (const auto& entry : drivers_) {
        if (entry.Serves(family))
            return entry;
    }
    throw NoDriverError(family, name, typeText);
}

Driver& DriverRegistry::ForOpen(Family family, const std::string& name,
                                const std::string& typeText) {
    const Entry& fallback = DefaultFor(family, name, typeText);
    // A file the default holds open is its own: each statement reopens the current database.
    if (fallback.driver->Holds(name))
        return *fallback.driver;
    // Newest first: a driver added later stands in front of the default. The default itself
    // is never asked, which spares the signature read when it is the family's only driver.
    for (auto it = drivers_.rbegin(); it != drivers_.rend() && &*it != &fallback; ++it) {
        if (it->Serves(family) && it->driver->Recognises(name))
            return *it->driver;
    }
    return *fallback.driver;
}

Driver& DriverRegistry::ForCreate(Family family, const std::string& name,
                                  const std::string& typeText) {
    return *DefaultFor(family, name, typeText).driver;
}

ExternalDatabase DriverRegistry::FindExternal(const std::string& connect, const std::string& path) {
    const std::optional<Family> family = FamilyOfConnect(connect);
    if (!family) {
        throw EngineError(err::kNoDriver, "The connect text '" + connect + "' of the database '" +
                                              path +
                                              "' names no connection type this program knows: "
                                              "use one such as 'dBase IV;', 'Text;' or "
                                              "';' for an Access database.");
    }
    std::error_code ignored;
    if (path.empty() || !std::filesystem::exists(path, ignored)) {
        throw EngineError(err::kFileMissing, "The database '" + path +
                                                 "' named in the statement (" +
                                                 FamilyName(*family) + ") does not exist.");
    }
    ExternalDatabase found = ForOpen(*family, path, connect).External(path, connect);
    found.label = "'" + path + "' (" + FamilyName(*family) + ")";
    return found;
}

void DriverRegistry::ForEach(const std::function<void(Driver&)>& visit) {
    for (const auto& entry : drivers_)
        visit(*entry.driver);
}

EngineError NoDriverError(Family family, const std::string& name, const std::string& typeText) {
    const std::string type = typeText.empty() ? FamilyName(family) : typeText;
    return EngineError(err::kNoDriver,
                       "'" + name + "' cannot be opened with the connection type '" + type +
                           "': this program has no driver for " + FamilyName(family) +
                           " databases. Open a single-file database instead, or "
                           "convert the data into one with the program that made "
                           "it.");
}

}  // namespace tessel::db
