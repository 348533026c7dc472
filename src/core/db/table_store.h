// The tables of a table-source driver (a directory of files, a workbook, rows held in memory)
// as the driver sees them. The adapter in vtab/ shows a TableStore to SQLite as virtual tables,
// so that a driver only lists, describes, scans and changes its rows and SQLite does the rest
// of the SQL.
//
// Values cross this seam as `db::Value`: Null, bool, 64-bit integer, double or UTF-8 text.
// Binary fields carry their bytes in the text alternative; the field's type code says which it
// is. The adapter converts values to the field's kind before it hands them over (a text "12"
// written to a Long field arrives as the integer 12).
//
// Every call reports a failure by throwing EngineError with the engine's numbers
// (err::kDuplicateValue, err::kNullNotAllowed, err::kNotSupported, ...); the adapter shows it
// to the person as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db {

// A row's identity within its table: stable while the row lives, never reused by an insert
// in the same transaction.
using RowId = std::int64_t;
using Row = std::vector<Value>;  // one value per column, in the order of Columns()

enum class CompareOp { Equal, Less, LessOrEqual, Greater, GreaterOrEqual };

// A condition on one column that a scan may apply: column OP value.
struct ScanConstraint {
    std::size_t column = 0;
    CompareOp op = CompareOp::Equal;
    Value value;
};

// How a store uses a condition it is offered.
enum class FilterUse {
    Ignore,   // the scan does not look at it; SQLite checks every row
    Narrows,  // the scan uses it to skip rows, SQLite still checks the rows it returns
    Exact,    // the scan returns exactly the rows that satisfy it, as SQLite compares
};

// The rows of one scan, read forward. Get() is valid while the scan stays on the row.
class TableScan {
  public:
    virtual ~TableScan() = default;
    // Moves to the next row (the first on the first call); false at the end.
    virtual bool Next() = 0;
    virtual RowId Id() const = 0;
    virtual Value Get(std::size_t column) const = 0;
};

class TableStore {
  public:
    virtual ~TableStore() = default;

    // The "Version" that DetectVersion reads.
    virtual std::string Version() = 0;

    virtual std::vector<std::string> Tables() = 0;
    // Why a table that the store holds is left out of Tables() (its file is damaged, say), so
    // that a statement naming it shows that cause; nothing when the store holds no such table.
    virtual std::optional<EngineError> WhyNotListed(const std::string& table);
    // Further names by which statements may name `table` (one of Tables()); every call with
    // such a name means that table. None unless the store has them.
    virtual std::vector<std::string> OtherNames(const std::string& /*table*/) { return {}; }
    // Both throw err::kItemNotFound for a table the store does not hold.
    virtual std::vector<FieldInfo> Columns(const std::string& table) = 0;
    virtual std::vector<IndexInfo> Indexes(const std::string& table) = 0;

    // How a scan of `table` would use a condition `op` on `column`.
    virtual FilterUse Filter(const std::string& table, std::size_t column, CompareOp op) = 0;
    // The rows of `table`; `constraints` are only ones that Filter() did not answer Ignore.
    virtual std::unique_ptr<TableScan> Scan(const std::string& table,
                                            const std::vector<ScanConstraint>& constraints) = 0;

    // Changes refuse what the table's definition refuses (required fields, unique indexes).
    virtual RowId Insert(const std::string& table, const Row& row) = 0;
    virtual void Update(const std::string& table, RowId id, const Row& row) = 0;
    virtual void Delete(const std::string& table, RowId id) = 0;

    // Data definition: a new table with its fields and indexes, or a table dropped with its
    // rows. CreateTable throws err::kObjectExists, DropTable err::kNoSuchTable.
    virtual void CreateTable(const std::string& table, const std::vector<FieldInfo>& fields,
                             const std::vector<IndexInfo>& indexes) = 0;
    virtual void DropTable(const std::string& table) = 0;
    // Each of these throws err::kNotSupported unless the store can do it. AddColumn gives
    // every existing row Null in the new field; DropColumn and DropIndex throw
    // err::kItemNotFound for a name the table does not hold.
    virtual void RenameTable(const std::string& from, const std::string& to);
    virtual void AddColumn(const std::string& table, const FieldInfo& field);
    virtual void DropColumn(const std::string& table, const std::string& column);
    virtual void CreateIndex(const std::string& table, const IndexInfo& index);
    virtual void DropIndex(const std::string& table, const std::string& index);

    // One transaction at a time. Changes between Begin and Commit become durable at Commit
    // (Sync comes first and may fail, leaving Rollback possible); Rollback leaves every table
    // as it was at Begin. Savepoints are numbered from 0 within the transaction: Savepoint(n)
    // marks the state, RollbackTo(n) returns to it (and may be called again), Release(n)
    // forgets marks n and above.
    virtual void Begin() = 0;
    virtual void Sync() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual void Savepoint(int level) = 0;
    virtual void Release(int level) = 0;
    virtual void RollbackTo(int level) = 0;
};

}  // namespace tessel::db
