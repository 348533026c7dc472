// A TableStore whose tables are only read: reading needs no transaction, and a statement that
// changes nothing commits nothing, so the transaction calls do nothing.
#pragma once

#include "core/db/table_store.h"

namespace tessel::db {

class ReadOnlyStore : public TableStore {
  public:
    void Begin() override {}
    void Sync() override {}
    void Commit() override {}
    void Rollback() override {}
    void Savepoint(int) override {}
    void Release(int) override {}
    void RollbackTo(int) override {}
};

}  // namespace tessel::db
