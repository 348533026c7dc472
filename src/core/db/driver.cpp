#include "core/db/driver.h"

namespace tessel::db {

void Driver::Create(const std::string& name, int, const std::string&) {
    throw EngineError(err::kNotSupported,
                      "'" + name + "' cannot be created: " + Name() + " are only read.");
}

void Driver::Compact(const std::string& source, const std::string&, int,
                     const std::optional<std::string>&) {
    throw EngineError(err::kNotSupported, "'" + source + "' cannot be compacted: " + Name() +
                                              " have no free space "
                                              "to remove.");
}

void Driver::Repair(const std::string& name) {
    throw EngineError(err::kNotSupported,
                      "'" + name + "' cannot be repaired: " + Name() + " have no repair.");
}

}  // namespace tessel::db
