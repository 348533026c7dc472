// The changes of the open transaction to a text directory's tables, held in memory until the
// transaction commits, with an undo log so that returning to a savepoint costs only the
// changes made since. A row is known by its number in the file as it was at Begin (from 1), or
// by an id from kFirstNewRowId on for a row the transaction added.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/drivers/text/field_values.h"
#include "core/db/table_store.h"

namespace tessel::db::text {

using FieldTexts = std::vector<FieldText>;

inline constexpr RowId kFirstNewRowId = RowId{1} << 40;

struct TableChanges {
    // A row's new fields, or nothing for a deleted row; rows of the file not listed are as the
    // file has them.
    std::map<RowId, std::optional<FieldTexts>> rows;
    RowId nextNewId = kFirstNewRowId;

    bool ChangesFileRows() const { return !rows.empty() && rows.begin()->first < kFirstNewRowId; }
};

class PendingChanges {
  public:
    // The changes of a table (by its file name), made on first use. Scans hold them shared, so
    // that a scan outlives a commit safely.
    const std::shared_ptr<TableChanges>& Of(const std::string& fileName);
    const std::map<std::string, std::shared_ptr<TableChanges>>& Tables() const { return tables_; }

    RowId NewRowId(const std::string& fileName) { return Of(fileName)->nextNewId++; }
    void Set(const std::string& fileName, RowId id, std::optional<FieldTexts> row);

    void Mark(int level);
    void Forget(int level);
    void UndoTo(int level);
    void Clear();
    void ForgetTable(const std::string& fileName);

  private:
    struct Undo {
        std::string fileName;
        RowId id = 0;
        std::optional<std::optional<FieldTexts>> before;  // nothing: the row was not listed
    };
    std::map<std::string, std::shared_ptr<TableChanges>> tables_;
    std::vector<Undo> log_;
    std::map<int, std::size_t> marks_;  // savepoint level to the log's length then
};

}  // namespace tessel::db::text
