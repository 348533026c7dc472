// One open table: its .dbf file with the parsed header, its code page and its memo file. It
// reads records in blocks for scans and writes single records in place: an update rewrites the
// record, a delete sets its '*' flag, an insert appends. Every change first gives the undo log
// the bytes and lengths it replaces; the header (record count, date, autoincrement values) is
// written once, by WriteHeader, before the transaction is made durable.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/db/drivers/dbf/dbf_codepage.h"
#include "core/db/drivers/dbf/dbf_header.h"
#include "core/db/drivers/dbf/dbf_io.h"
#include "core/db/drivers/dbf/dbf_memo.h"
#include "core/db/engine.h"
#include "core/db/table_store.h"

namespace tessel::db::dbf {

// The memo file of the table at `tablePath`: the same name with the memo extension, in the case
// of the table's own extension unless only the other case exists.
std::string MemoPathOf(const std::string& tablePath, MemoKind kind);

class DbfTable {
  public:
    // Opens the table `name` kept in the file `path`. Throws EngineError naming the file when
    // it is damaged.
    DbfTable(std::string path, std::string name);

    const std::string& Name() const { return name_; }
    const std::string& Path() const { return file_.Path(); }
    const TableHeader& Header() const { return header_; }
    const std::vector<FieldInfo>& Columns() const { return columns_; }
    std::uint32_t RecordCount() const { return header_.recordCount; }
    // The index in Header().fields of column `column`.
    std::size_t StoredIndex(std::size_t column) const { return stored_.at(column); }
    // The memo file beside the table (for a table without memo fields, none).
    std::string MemoPath() const;

    // Reads up to `count` whole records from record `first` (0-based) into `buffer`.
    void ReadRecords(std::uint32_t first, std::uint32_t count, std::string& buffer) const;
    // The value of column `column` (an index of Columns()) in `record`.
    Value Get(std::string_view record, std::size_t column);
    static bool IsDeleted(std::string_view record) { return !record.empty() && record[0] == '*'; }

    // Row ids are record numbers from 1.
    RowId Append(const Row& row, UndoLog& undo);
    void Rewrite(RowId id, const Row& row, UndoLog& undo);
    void MarkDeleted(RowId id, UndoLog& undo);
    // Writes the record count, the date of today and the autoincrement values when they
    // changed, and the memo file's header.
    void WriteHeader(UndoLog& undo);
    void Sync();
    // Throws err::kReadOnly naming the table when its format or its file cannot be written.
    void CheckWritable() const;

    // Whether the file is as this table last left it (no other program changed it since), and
    // the note of how it is now.
    bool Unchanged() const { return file_.Stamp() == stamp_; }
    void NoteState() { stamp_ = file_.Stamp(); }

  private:
    std::string RecordAt(RowId id) const;
    void EncodeRow(std::string& record, const std::string& old, const Row& row, UndoLog& undo);
    std::uint64_t OffsetOf(std::uint32_t index) const;

    std::string name_;
    FileHandle file_;
    TableHeader header_;
    TextCodec codec_;
    std::unique_ptr<MemoFile> memo_;
    std::vector<FieldInfo> columns_;
    std::vector<std::size_t> stored_;  // the field of header_.fields behind each column
    std::uint32_t writtenCount_ = 0;
    bool descriptorsChanged_ = false;
    std::pair<std::uint64_t, std::int64_t> stamp_;
    // The table's index files, once looked for.
    mutable std::optional<std::vector<std::string>> indexFiles_;
};

}  // namespace tessel::db::dbf
