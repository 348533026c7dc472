// A TableStore over a file that the program reads but does not change: every change goes to one
// refusal, which says why and names the file, and the transaction calls do nothing, since a
// statement that changes nothing has nothing to commit.
#pragma once

#include "core/db/table_store.h"

namespace tessel::db {

class ReadOnlyTableStore : public TableStore {
  public:
    RowId Insert(const std::string&, const Row&) override { RefuseChange(); }
    void Update(const std::string&, RowId, const Row&) override { RefuseChange(); }
    void Delete(const std::string&, RowId) override { RefuseChange(); }
    void CreateTable(const std::string&, const std::vector<FieldInfo>&,
                     const std::vector<IndexInfo>&) override {
        RefuseChange();
    }
    void DropTable(const std::string&) override { RefuseChange(); }
    void RenameTable(const std::string&, const std::string&) override { RefuseChange(); }
    void AddColumn(const std::string&, const FieldInfo&) override { RefuseChange(); }
    void DropColumn(const std::string&, const std::string&) override { RefuseChange(); }
    void CreateIndex(const std::string&, const IndexInfo&) override { RefuseChange(); }
    void DropIndex(const std::string&, const std::string&) override { RefuseChange(); }

    void Begin() override {}
    void Sync() override {}
    void Commit() override {}
    void Rollback() override {}
    void Savepoint(int) override {}
    void Release(int) override {}
    void RollbackTo(int) override {}

  protected:
    // Throws the store's read-only error.
    [[noreturn]] virtual void RefuseChange() = 0;
};

}  // namespace tessel::db
