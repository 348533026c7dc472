// The rows of one text table as a transaction sees them: the file's records (without its
// header line) with the transaction's changes laid over them, then the rows it added. Used by
// scans and by the rewrite that commits the changes.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/text/pending_changes.h"
#include "core/db/drivers/text/record_reader.h"
#include "core/db/drivers/text/table_definition.h"

namespace tessel::db::text {

class TableRows {
  public:
    // `changes` may be null (no changes). Rows added after construction are not seen.
    TableRows(const std::string& path, TableDefinition definition,
              std::shared_ptr<const TableChanges> changes);

    // Moves to the next row; false at the end. Throws EngineError naming file and line.
    bool Next();
    RowId Id() const { return id_; }
    const FieldTexts& Fields() const { return fields_; }
    const TableDefinition& Definition() const { return definition_; }
    // The header line's fields, once Next() was called (empty without a header).
    const FieldTexts& Header() const { return header_; }

  private:
    bool NextFileRow();
    bool NextNewRow();

    TableDefinition definition_;
    RecordReader reader_;
    std::shared_ptr<const TableChanges> changes_;
    RowId newRowsEnd_ = kFirstNewRowId;
    bool started_ = false;
    bool inFile_ = true;
    RowId id_ = 0;
    FieldTexts fields_;
    FieldTexts header_;
    Record record_;
};

}  // namespace tessel::db::text
