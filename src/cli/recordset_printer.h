// Printing recordsets: an aligned table for people, or CSV for other programs. Rows are
// formatted straight from their values into an output buffer, so a result of millions of rows
// prints in little memory and without a string per value. The same writers serve rows as a
// capture streams them and rows read back from a recordset file.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "cli/output_buffer.h"
#include "core/db/engine.h"

namespace tessel::cli {

// CSV: a header line of column names, then one line per row, each ended by CR LF (RFC 4180
// quoting, Null as nothing).
void WriteCsvHeader(OutputBuffer& out, const std::vector<db::ColumnInfo>& columns);
void WriteCsvRow(OutputBuffer& out, std::span<const db::ValueView> row);

// The aligned table: "caption", the column names, a rule, the rows (numbers right-aligned, Null
// as "NULL", Yes/No as True or False, line breaks inside a value as \r and \n) and "(N rows)".
// Column widths need every row, so they are measured before the first row prints.
class TableLayout {
  public:
    explicit TableLayout(const std::vector<db::ColumnInfo>& columns);
    // Widens the columns to hold `row`, and counts it.
    void Measure(std::span<const db::ValueView> row);
    std::int64_t RowCount() const { return rows_; }

    void WriteHeader(OutputBuffer& out, const std::string& caption) const;
    void WriteRow(OutputBuffer& out, std::span<const db::ValueView> row) const;
    void WriteFooter(OutputBuffer& out) const;

  private:
    std::vector<db::ColumnInfo> columns_;
    std::vector<std::size_t> widths_;
    std::int64_t rows_ = 0;
};

// Print a recordset file. Throw EngineError when the file cannot be read. A table measured
// while its rows were captured (`measured`) prints in one pass over the file.
void PrintRecordsetTable(OutputBuffer& out, const std::string& caption, const std::string& path,
                         const TableLayout* measured = nullptr);
void PrintRecordsetCsv(OutputBuffer& out, const std::string& path);

}  // namespace tessel::cli
