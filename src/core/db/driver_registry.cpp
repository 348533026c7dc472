#include "core/db/driver_registry.h"

#include <algorithm>

namespace tessel::db {

void DriverRegistry::Add(std::unique_ptr<Driver> driver) {
    drivers_.push_back(std::move(driver));
}

std::vector<Driver*> DriverRegistry::Serving(Family family) {
    std::vector<Driver*> serving;
    for (const auto& driver : drivers_) {
        const auto families = driver->Families();
        if (std::find(families.begin(), families.end(), family) != families.end())
            serving.push_back(driver.get());
    }
    return serving;
}

Driver& DriverRegistry::ForOpen(Family family, const std::string& name,
                                const std::string& typeText) {
    const auto serving = Serving(family);
    if (serving.empty())
        throw NoDriverError(family, name, typeText);
    if (serving.size() == 1)
        return *serving.front();  // nothing to choose between: spare the signature read
    // Newest first: a driver added later stands in front of the default.
    for (auto it = serving.rbegin(); it != serving.rend(); ++it) {
        if ((*it)->Recognises(name))
            return **it;
    }
    return *serving.front();
}

Driver& DriverRegistry::ForCreate(Family family, const std::string& name,
                                  const std::string& typeText) {
    const auto serving = Serving(family);
    if (serving.empty())
        throw NoDriverError(family, name, typeText);
    return *serving.front();
}

void DriverRegistry::ForEach(const std::function<void(Driver&)>& visit) {
    for (const auto& driver : drivers_)
        visit(*driver);
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
