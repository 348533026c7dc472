// Recordset files: the rows of one row-returning statement, kept as a small SQLite database
// ("recordset" & N & ".rst" in the application directory) so that any SQLite tool reads them
// and the view grid can page through millions of rows with little memory.
//
// Layout: table "recordset" with the statement's columns in order, under their original names
// (made unique where a statement repeats one) and without declared types, so that every value
// reads back exactly as it came; its rows are numbered 1, 2, ... in the order they came. Table
// "recordset_columns"(ordinal, name, declared_type, type_code, size) keeps the original names
// and types; table "recordset_source"(statement). A statement without columns has no
// "recordset" table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/session/session.h"

namespace tessel {

class RecordsetRowSink;

// "recordset" & N: the name of capture N in the list, the view's caption and its file name.
std::string RecordsetName(long number);
std::string RecordsetFilePath(const std::string& appPath, long number);

// Streams the cursor's rows into a new file at `path` (replacing one that exists). Writes to a
// temporary name and renames it into place. Throws EngineError naming the file on failure.
// `rows`, when given, sees each row as soon as it is read; the rows are stored by a second
// thread while the cursor reads on, once there are more than a batch of them.
void WriteRecordsetFile(const std::string& path, const std::string& statement, db::Cursor& cursor,
                        RecordsetRowSink* rows = nullptr);

struct RecordsetCell {
    db::ValueView::Kind kind = db::ValueView::Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text or Blob
};

// Reads a recordset file a page at a time.
class RecordsetFile {
  public:
    // Throws EngineError naming the file when it is missing or not a recordset file.
    static std::unique_ptr<RecordsetFile> Open(const std::string& path);
    virtual ~RecordsetFile() = default;
    virtual const std::vector<db::ColumnInfo>& Columns() const = 0;
    virtual const std::string& Statement() const = 0;
    virtual std::int64_t RowCount() = 0;
    // Rows [first, first + count), each with one cell per column.
    virtual std::vector<std::vector<RecordsetCell>> ReadRows(std::int64_t first,
                                                             std::int64_t count) = 0;
    // Every row in order through one statement, for reading the whole file without a copy of
    // its values; the file must outlive the cursor.
    virtual std::unique_ptr<db::Cursor> AllRows() = 0;
};

// Deletes the recordset files that this session's runs wrote: numbers 1 up to the higher of
// the recordset count and the high-water mark, which it then resets.
void CleanRecordsets(Session& session);

}  // namespace tessel
