// A directory of .csv, .txt and .tab files (with an optional schema.ini) as a TableStore.
//
// Every call looks at the files as they are now: a file that another program changed between
// two statements (its size or modification time differs) is described and read again. Rows are
// numbered by their place in the file; the changes of a transaction are held in memory and
// written at Commit: rows added only are appended to the file, other changes rewrite it through
// a temporary file renamed into place, so that Rollback leaves every file byte for byte as it
// was. Tables are created, dropped and renamed at once, with their schema.ini sections.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/db/drivers/text/pending_changes.h"
#include "core/db/drivers/text/record_writer.h"
#include "core/db/drivers/text/schema_ini.h"
#include "core/db/drivers/text/table_definition.h"
#include "core/db/drivers/text/table_write.h"
#include "core/db/table_store.h"

namespace tessel::db::text {

class TextStore : public TableStore {
  public:
    explicit TextStore(std::string directory);

    const std::string& Directory() const { return directory_; }

    std::string Version() override { return "1.0"; }
    std::vector<std::string> Tables() override;
    std::vector<std::string> OtherNames(const std::string& table) override;
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
    // A text file keeps no index; adding and dropping fields are left to the seam's refusal.
    void CreateIndex(const std::string& table, const IndexInfo& index) override;

    void Begin() override;
    void Sync() override;
    void Commit() override;
    void Rollback() override;
    void Savepoint(int level) override;
    void Release(int level) override;
    void RollbackTo(int level) override;

  private:
    struct Stamp {
        bool exists = false;
        long long size = 0;
        long long modified = 0;  // nanoseconds
        bool operator==(const Stamp& other) const {
            return exists == other.exists && size == other.size && modified == other.modified;
        }
    };
    struct Described {
        Stamp file;
        Stamp ini;
        TableDefinition definition;
        std::unique_ptr<RecordWriter> writer;  // checks values as they are changed
    };

    std::vector<std::string> FileNames();
    // The file of a table named either way; throws `missing` when there is none.
    std::string FileOf(const std::string& table, long missing = err::kItemNotFound);
    std::string PathOf(const std::string& fileName) const;
    Described& Describe(const std::string& fileName);
    FieldTexts TextsOf(const std::string& fileName, const Row& row);
    template <typename Change>
    void InTransaction(Change&& change);
    SchemaIni ReadIni();
    void WriteIni(const SchemaIni& before, const std::string& text);
    Stamp StampOf(const std::string& path) const;

    std::string directory_;
    std::map<std::string, Described> described_;
    PendingChanges pending_;
    bool inTransaction_ = false;
    bool synced_ = false;
    std::vector<std::pair<std::string, std::unique_ptr<TableWrite>>> prepared_;
};

}  // namespace tessel::db::text
