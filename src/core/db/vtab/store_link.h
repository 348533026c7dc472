// What the virtual tables of one SQLite connection share: their store, the one store
// transaction that any number of them join, and the store's last failure, so that the person
// sees the store's own error number and sentence rather than SQLite's retelling of it.
//
// SQLite calls xBegin, xCommit, xSavepoint, ... once for every virtual table that takes part
// in a statement; the link hands each step to the store once.
#pragma once

#include <memory>
#include <optional>
#include <set>

#include "core/db/errors.h"
#include "core/db/table_store.h"

namespace tessel::db::vtab {

class StoreLink {
  public:
    explicit StoreLink(std::shared_ptr<TableStore> store) : store_(std::move(store)) {}

    TableStore& Store() { return *store_; }
    const std::shared_ptr<TableStore>& Shared() const { return store_; }

    void Begin();
    void Sync();
    void Commit();
    void Rollback();
    void Savepoint(int level);
    void Release(int level);
    void RollbackTo(int level);

    // Keeps the failure of a store call that SQLite is about to report.
    void Remember(const EngineError& error) { failure_ = error; }
    // The kept failure, once; nothing when SQLite failed by itself.
    std::optional<EngineError> TakeFailure();

  private:
    std::shared_ptr<TableStore> store_;
    bool inTransaction_ = false;
    bool synced_ = false;
    std::set<int> savepoints_;
    std::optional<EngineError> failure_;
};

}  // namespace tessel::db::vtab
