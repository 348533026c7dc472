// The registry that maps connection-type families and file signatures to drivers. The engine
// owns one; the built-in drivers are entered by RegisterBuiltInDrivers (drivers/builtin.cpp),
// and a driver added later is asked first for the families it serves, so that a more specific
// reader (or a test's driver) can stand in front of the default.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/db/connection_types.h"
#include "core/db/driver.h"

namespace tessel::db {

class DriverRegistry {
  public:
    void Add(std::unique_ptr<Driver> driver);

    // The driver for a database of `family` at `name`: the first driver of the family whose
    // signature check accepts the file or directory, else the family's default (the first one
    // entered), which then reports why it cannot open the file. Throws err::kNoDriver, naming
    // the database and the connection type (`typeText`, else the family), when no driver
    // serves the family.
    Driver& ForOpen(Family family, const std::string& name, const std::string& typeText = "");
    // The family's default driver (for creating new databases); throws as ForOpen does.
    Driver& ForCreate(Family family, const std::string& name, const std::string& typeText = "");

    // The other database that a statement names by `connect` ("" or ";..." for the single-file
    // default, "dBase IV;" ...) and `path`. Throws err::kNoDriver for a connect text that names
    // no connection type, err::kFileMissing for a path that does not exist.
    ExternalDatabase FindExternal(const std::string& connect, const std::string& path);

    void ForEach(const std::function<void(Driver&)>& visit);

  private:
    struct Entry {
        std::unique_ptr<Driver> driver;
        std::vector<Family> families;  // read once when entered: choosing runs per statement
        bool Serves(Family family) const;
    };
    // The family's default (its first entry); throws when no driver serves the family.
    const Entry& DefaultFor(Family family, const std::string& name, const std::string& typeText);
    std::vector<Entry> drivers_;  // in the order entered
};

// Enters the drivers that are part of the program.
void RegisterBuiltInDrivers(DriverRegistry& registry);

// The error for a family that no driver serves: what is missing and what to do instead.
EngineError NoDriverError(Family family, const std::string& name, const std::string& typeText);

}  // namespace tessel::db
