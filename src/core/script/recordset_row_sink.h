// A watcher of the rows that a capture streams into its recordset file, given them in the same
// pass: the console program prints them as they come instead of reading the file back.
#pragma once

#include <span>
#include <vector>

#include "core/db/engine.h"

namespace tessel {

class RecordsetRowSink {
  public:
    virtual ~RecordsetRowSink() = default;
    // The statement's columns, before any row.
    virtual void Begin(const std::vector<db::ColumnInfo>& columns) = 0;
    // One row, stored in the file; the views are valid only during the call.
    virtual void Row(std::span<const db::ValueView> values) = 0;
    // Every row is in the file.
    virtual void End() = 0;
    // The capture failed after Begin; what was given so far is all there will be.
    virtual void Abandon() = 0;
};

}  // namespace tessel
