// A table-source store whose rows live in memory: the smallest real TableStore, for proving
// the virtual-table adapter. Numeric columns answer equality and range conditions themselves;
// required fields and unique indexes refuse what they should; a transaction keeps a snapshot of
// every table so that Rollback and RollbackTo leave nothing of the undone changes behind.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/db/table_store.h"

namespace tessel::test::memory {

class MemoryStore : public db::TableStore {
  public:
    explicit MemoryStore(std::string version = "1.0") : version_(std::move(version)) {}

    std::string Version() override { return version_; }
    std::vector<std::string> Tables() override;
    std::vector<std::string> OtherNames(const std::string& table) override;
    // Lets statements name `table` also as `other`.
    void AddOtherName(const std::string& table, const std::string& other) {
        otherNames_.emplace(table, other);
    }
    std::vector<db::FieldInfo> Columns(const std::string& table) override;
    std::vector<db::IndexInfo> Indexes(const std::string& table) override;

    db::FilterUse Filter(const std::string& table, std::size_t column, db::CompareOp op) override;
    std::unique_ptr<db::TableScan> Scan(
        const std::string& table, const std::vector<db::ScanConstraint>& constraints) override;

    db::RowId Insert(const std::string& table, const db::Row& row) override;
    void Update(const std::string& table, db::RowId id, const db::Row& row) override;
    void Delete(const std::string& table, db::RowId id) override;

    void CreateTable(const std::string& table, const std::vector<db::FieldInfo>& fields,
                     const std::vector<db::IndexInfo>& indexes) override;
    void DropTable(const std::string& table) override;
    void RenameTable(const std::string& from, const std::string& to) override;
    // Dropping a field is left to the seam's refusal, so that the tests see it.
    void AddColumn(const std::string& table, const db::FieldInfo& field) override;
    void CreateIndex(const std::string& table, const db::IndexInfo& index) override;
    void DropIndex(const std::string& table, const std::string& index) override;

    void Begin() override;
    void Sync() override { ++syncs_; }
    void Commit() override;
    void Rollback() override;
    void Savepoint(int level) override;
    void Release(int level) override;
    void RollbackTo(int level) override;

    // What the tests look at: transactions committed and rolled back, scans and the conditions
    // the last scan applied itself.
    int Commits() const { return commits_; }
    int Rollbacks() const { return rollbacks_; }
    int Syncs() const { return syncs_; }
    std::size_t LastScanConditions() const { return lastScanConditions_; }

    struct Table {
        std::string name;
        std::vector<db::FieldInfo> fields;
        std::vector<db::IndexInfo> indexes;
        std::map<db::RowId, db::Row> rows;
        db::RowId nextId = 1;
    };

  private:
    Table& Find(const std::string& table);
    void Check(const Table& table, const db::Row& row, db::RowId self) const;

    std::string version_;
    std::vector<Table> tables_;
    std::multimap<std::string, std::string> otherNames_;
    bool inTransaction_ = false;
    std::vector<Table> atBegin_;
    std::map<int, std::vector<Table>> savepoints_;
    int commits_ = 0;
    int rollbacks_ = 0;
    int syncs_ = 0;
    std::size_t lastScanConditions_ = 0;
};

}  // namespace tessel::test::memory
