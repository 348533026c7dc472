// A directory of Paradox tables as a TableStore: each .db file is a table named by its file
// name without the extension. The tables are only read: every change is refused with the
// read-only error naming the table or directory. An encrypted table's rows are read only with
// its password among the store's passwords.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/paradox/px_table.h"
#include "core/db/read_only_store.h"
#include "core/db/table_store.h"

namespace tessel::db::paradox {

struct PxTableFile {
    std::string name;  // the table's name: the file name without ".db"
    std::string path;
};

// The .db files of `directory` (any case of the extension), in name order.
std::vector<PxTableFile> TableFilesOf(const std::string& directory);

// The error for an encrypted table without its password (3031, naming the table).
EngineError PasswordError(const std::string& path);

class PxStore : public ReadOnlyStore {
  public:
    PxStore(std::string directory, std::string version);

    void SetVersion(std::string version) { version_ = std::move(version); }
    // Passwords that open encrypted tables; a password is never forgotten during the run.
    void AddPasswords(const std::vector<std::string>& passwords);
    // True when the encrypted table at `path` may be read (always for a plain table).
    bool Unlocked(const PxTable& table) const;

    std::string Version() override { return version_; }
    std::vector<std::string> Tables() override;
    std::optional<EngineError> WhyNotListed(const std::string& table) override;
    std::vector<FieldInfo> Columns(const std::string& table) override;
    std::vector<IndexInfo> Indexes(const std::string& table) override;
    FilterUse Filter(const std::string&, std::size_t, CompareOp) override {
        return FilterUse::Ignore;
    }
    std::unique_ptr<TableScan> Scan(const std::string& table,
                                    const std::vector<ScanConstraint>& constraints) override;

    RowId Insert(const std::string& table, const Row&) override;
    void Update(const std::string& table, RowId, const Row&) override;
    void Delete(const std::string& table, RowId) override;
    void CreateTable(const std::string& table, const std::vector<FieldInfo>&,
                     const std::vector<IndexInfo>&) override;
    void DropTable(const std::string& table) override;
    void RenameTable(const std::string& from, const std::string&) override;
    void AddColumn(const std::string& table, const FieldInfo&) override;
    void DropColumn(const std::string& table, const std::string&) override;
    void CreateIndex(const std::string& table, const IndexInfo&) override;
    void DropIndex(const std::string& table, const std::string&) override;

  private:
    std::shared_ptr<PxTable> Open(const std::string& table);
    [[noreturn]] void ReadOnly(const std::string& table) const;
    std::string directory_;
    std::string version_;
    std::vector<std::string> passwords_;
};

}  // namespace tessel::db::paradox
