// A driver for the tests whose databases are MemoryStores held under names such as
// "memory:shop". It serves the Text family, recognises exactly the names it holds, and opens
// and runs statements through the virtual-table adapter like any table-source driver.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "core/db/driver.h"
#include "drivers/memory/memory_store.h"

namespace tessel::test::memory {

class MemoryDriver : public db::Driver {
  public:
    // Holds a new, empty database under `name` and returns its store.
    std::shared_ptr<MemoryStore> Hold(const std::string& name);

    std::string Name() const override { return "tables held in memory"; }
    std::vector<db::Family> Families() const override { return {db::Family::Text}; }
    db::DriverCapabilities Capabilities() const override { return {true, true, true, true, false}; }
    bool Recognises(const std::string& path) const override { return held_.count(path) != 0; }

    std::unique_ptr<db::Database> Open(const db::OpenRequest& request) override;
    std::unique_ptr<db::StatementConnection> Connect(const std::string& name,
                                                     const std::string& connectionString) override;
    void Create(const std::string& name, int format, const std::string& password) override;
    void Compact(const std::string& source, const std::string& destination, int format,
                 const std::optional<std::string>& password) override;
    std::vector<std::string> Repair(const std::string& name) override;

  private:
    std::shared_ptr<MemoryStore> Find(const std::string& name) const;
    std::map<std::string, std::shared_ptr<MemoryStore>> held_;
};

}  // namespace tessel::test::memory
