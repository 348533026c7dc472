#include "drivers/memory/memory_driver.h"

#include "core/db/vtab/store_adapter.h"

namespace tessel::test::memory {

using db::EngineError;
namespace err = db::err;

std::shared_ptr<MemoryStore> MemoryDriver::Hold(const std::string& name) {
    auto store = std::make_shared<MemoryStore>();
    held_[name] = store;
    return store;
}

std::shared_ptr<MemoryStore> MemoryDriver::Find(const std::string& name) const {
    const auto found = held_.find(name);
    if (found == held_.end())
        throw EngineError(err::kFileMissing, "The database '" + name + "' does not exist.");
    return found->second;
}

std::unique_ptr<db::Database> MemoryDriver::Open(const db::OpenRequest& request) {
    return db::vtab::OpenStoreDatabase(Find(request.name), request.name, request.connect,
                                       request.readOnly);
}

std::unique_ptr<db::StatementConnection> MemoryDriver::Connect(
    const std::string& name, const std::string& connectionString) {
    return db::vtab::ConnectStore(Find(name), name, connectionString);
}

void MemoryDriver::Create(const std::string& name, int, const std::string&) {
    if (held_.count(name) != 0)
        throw EngineError(err::kDatabaseExists, "The database '" + name + "' already exists.");
    Hold(name);
}

void MemoryDriver::Compact(const std::string& source, const std::string&, int,
                           const std::optional<std::string>&) {
    throw EngineError(err::kNotSupported,
                      "The database '" + source + "' is held in memory and cannot be compacted.");
}

std::vector<std::string> MemoryDriver::Repair(const std::string& name) {
    throw EngineError(err::kNotSupported,
                      "The database '" + name + "' is held in memory and cannot be repaired.");
}

}  // namespace tessel::test::memory
