// TableStores over files that the program reads but does not change.
#pragma once

#include "core/db/errors.h"
#include "core/db/table_store.h"

namespace tessel::db {

// Reading needs no transaction, and a statement that changes nothing commits nothing, so the
// transaction calls do nothing.
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

// As ReadOnlyStore, with every change going to one refusal, which says why and names the file.
class ReadOnlyTableStore : public ReadOnlyStore {
  public:
    RowId Insert(const std::string&, const Row&) override { Refuse(); }
    void Update(const std::string&, RowId, const Row&) override { Refuse(); }
    void Delete(const std::string&, RowId) override { Refuse(); }
    void CreateTable(const std::string&, const std::vector<FieldInfo>&,
                     const std::vector<IndexInfo>&) override {
        Refuse();
    }
    void DropTable(const std::string&) override { Refuse(); }
    void RenameTable(const std::string&, const std::string&) override { Refuse(); }
    void AddColumn(const std::string&, const FieldInfo&) override { Refuse(); }
    void DropColumn(const std::string&, const std::string&) override { Refuse(); }
    void CreateIndex(const std::string&, const IndexInfo&) override { Refuse(); }
    void DropIndex(const std::string&, const std::string&) override { Refuse(); }

  protected:
    // Throws the store's read-only error, which names the file.
    virtual void RefuseChange() = 0;

  private:
    [[noreturn]] void Refuse() {
        RefuseChange();
        throw EngineError(err::kReadOnly, "This database is only read; it cannot be changed.");
    }
};

}  // namespace tessel::db
