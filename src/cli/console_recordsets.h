// How the console program prints captured recordsets. As CSV, the rows print while the capture
// streams them into the file; as an aligned table, the capture measures the column widths and
// the rows print from the file when the view is bound, in one pass.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_buffer.h"
#include "cli/recordset_printer.h"
#include "core/script/recordset_row_sink.h"

namespace tessel::cli {

class ConsoleRecordsets : public RecordsetRowSink {
  public:
    ConsoleRecordsets(bool csv, std::ostream& out);

    void Begin(const std::vector<db::ColumnInfo>& columns) override;
    void Row(std::span<const db::ValueView> values) override;
    void End() override;
    // A failed capture's rows that were printed stay, and reach the stream before the error.
    void Abandon() override;

    // Prints the recordset file at `path`, unless the capture printed it already. Throws
    // EngineError when the file cannot be read; what was printed reaches the stream first.
    void Print(const std::string& caption, const std::string& path);

  private:
    // The blank line between two recordsets; `printed_` counts those that printed.
    void StartRecordset();

    bool csv_;
    OutputBuffer out_;
    int printed_ = 0;
    std::vector<db::ColumnInfo> columns_;
    bool started_ = false;  // this capture's CSV header is out
    bool printedByCapture_ = false;
    std::optional<TableLayout> measured_;
};

}  // namespace tessel::cli
