#include "core/db/driver.h"

namespace tessel::db {
namespace {

[[noreturn]] void ThrowCannot(const Driver& driver, const std::string& what,
                              const std::string& name) {
    throw EngineError(err::kNotSupported, "The driver for " + driver.Name() + " cannot " + what +
                                              " '" + name +
                                              "'. Use a single-file database for this.");
}

}  // namespace

void Driver::Create(const std::string& name, int /*format*/, const std::string& /*password*/) {
    ThrowCannot(*this, "create", name);
}

void Driver::Compact(const std::string& source, const std::string& /*destination*/, int /*format*/,
                     const std::optional<std::string>& /*password*/) {
    ThrowCannot(*this, "compact", source);
}

ExternalDatabase Driver::External(const std::string& name, const std::string& /*connect*/) {
    throw EngineError(err::kNotSupported, "The table of '" + name +
                                              "' cannot be read from a statement of another "
                                              "database: the driver for " +
                                              Name() + " cannot take part in it. Open '" + name +
                                              "' with dbOpen and run the statement there.");
}

std::vector<std::string> Driver::Repair(const std::string& name) {
    ThrowCannot(*this, "repair", name);
}

}  // namespace tessel::db
