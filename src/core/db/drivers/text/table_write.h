// Committing one table's changes to its file in two steps, so that a transaction over several
// tables can still be undone after the first: Prepare appends the added rows to the file (and
// flushes them to the disk), or writes the whole new file under a temporary name when rows of
// the file changed; Commit renames a rewritten file into place; Undo cuts the appended bytes
// off again or drops the temporary file.
#pragma once

#include <memory>
#include <string>

#include "core/base/atomic_file.h"
#include "core/db/drivers/text/pending_changes.h"
#include "core/db/drivers/text/table_definition.h"

namespace tessel::db::text {

class TableWrite {
  public:
    TableWrite(std::string path, TableDefinition definition,
               std::shared_ptr<const TableChanges> changes);

    // Throws EngineError naming the file.
    void Prepare();
    void Commit();
    void Undo() noexcept;

    // True when the file was only appended to.
    bool Appended() const { return !rewritten_; }

  private:
    void Append();
    void Rewrite();

    std::string path_;
    TableDefinition definition_;
    std::shared_ptr<const TableChanges> changes_;
    std::unique_ptr<base::AtomicFile> rewrite_;
    bool rewritten_ = false;
    long long sizeBefore_ = -1;  // of an appended file
};

}  // namespace tessel::db::text
