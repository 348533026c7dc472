// A directory of dBase and FoxPro tables as a TableStore: each .dbf file (any case of the
// extension) is a table named by its file name without the extension, compared without regard
// to case. Changes are written in place as they are made and undone from the undo log on
// Rollback; the headers are brought up to date and the files flushed once, at Sync. Structure
// changes (new and dropped fields) rewrite the table through a temporary file that replaces it.
//
// A table whose header cannot be read is left out of Tables(), so that the rest of the directory
// still lists and reads; asking for it by name gives the error that names the file and the cause.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/db/connection_types.h"
#include "core/db/drivers/dbf/dbf_io.h"
#include "core/db/drivers/dbf/dbf_table.h"
#include "core/db/table_store.h"

namespace tessel::db::dbf {

class DbfStore : public TableStore {
  public:
    // `connectVersion` is the version that the connect text names ("4.0" for "Dbase IV;").
    DbfStore(std::string directory, Family family, std::string connectVersion);

    // The database was opened again with another connect text.
    void SetConnectVersion(std::string version) { connectVersion_ = std::move(version); }

    std::string Version() override;
    std::vector<std::string> Tables() override;
    std::optional<EngineError> WhyNotListed(const std::string& table) override;
    std::vector<FieldInfo> Columns(const std::string& table) override;
    std::vector<IndexInfo> Indexes(const std::string& table) override;

    FilterUse Filter(const std::string& table, std::size_t column, CompareOp op) override;
    std::unique_ptr<TableScan> Scan(const std::string& table,
                                    const std::vector<ScanConstraint>& constraints) override;

    RowId Insert(const std::string& table, const Row& row) override;
    void Update(const std::string& table, RowId id, const Row& row) override;
    void Delete(const std::string& table, RowId id) override;

    void CreateTable(const std::string& table, const std::vector<FieldInfo>& fields,
                     const std::vector<IndexInfo>& indexes) override;
    void DropTable(const std::string& table) override;
    void RenameTable(const std::string& from, const std::string& to) override;
    void AddColumn(const std::string& table, const FieldInfo& field) override;
    void DropColumn(const std::string& table, const std::string& column) override;
    void CreateIndex(const std::string& table, const IndexInfo& index) override;
    void DropIndex(const std::string& table, const std::string& index) override;

    void Begin() override;
    void Sync() override;
    void Commit() override;
    void Rollback() override;
    void Savepoint(int level) override;
    void Release(int level) override;
    void RollbackTo(int level) override;

  private:
    struct TableFile {
        std::string name;  // the file name without its extension
        std::string path;
    };
    std::vector<TableFile> ListFiles() const;
    // The file of `table`; throws `missing` when the directory holds none.
    TableFile FileOf(const std::string& table, long missing) const;
    std::shared_ptr<DbfTable> Open(const std::string& table);
    // Runs a change inside the transaction, or in one of its own when none is open.
    template <typename Change>
    auto Changing(const std::string& table, Change change);
    void Touch(const std::shared_ptr<DbfTable>& table);
    void RewriteWith(const std::shared_ptr<DbfTable>& table, TableHeader header,
                     const std::vector<int>& sources);
    void Forget(const std::string& table);

    std::string directory_;
    Family family_;
    std::string connectVersion_;
    std::map<std::string, std::shared_ptr<DbfTable>> open_;  // by upper-case name
    bool inTransaction_ = false;
    UndoLog undo_;
    std::map<int, std::size_t> savepoints_;
    std::vector<std::shared_ptr<DbfTable>> touched_;
};

}  // namespace tessel::db::dbf
