#include "cli/console_recordsets.h"

namespace tessel::cli {

ConsoleRecordsets::ConsoleRecordsets(bool csv, std::ostream& out)
    : csv_(csv), out_(out, std::size_t{1} << 18) {}

void ConsoleRecordsets::Begin(const std::vector<db::ColumnInfo>& columns) {
    started_ = false;
    printedByCapture_ = false;
    measured_.reset();
    if (csv_) {
        columns_ = columns;
    } else {
        measured_.emplace(columns);
    }
}

void ConsoleRecordsets::Row(std::span<const db::ValueView> values) {
    if (!csv_) {
        measured_->Measure(values);
        return;
    }
    // The header waits for the first row, so that a statement that fails at once prints
    // nothing but its error.
    if (!started_) {
        StartRecordset();
        ++printed_;
        WriteCsvHeader(out_, columns_);
        started_ = true;
    }
    WriteCsvRow(out_, values);
}

void ConsoleRecordsets::End() {
    if (csv_) {
        if (!started_) {
            StartRecordset();
            ++printed_;
            WriteCsvHeader(out_, columns_);
        }
        out_.Flush();
        printedByCapture_ = true;
    }
}

void ConsoleRecordsets::Abandon() {
    out_.Flush();
    measured_.reset();
}

void ConsoleRecordsets::Print(const std::string& caption, const std::string& path) {
    if (printedByCapture_) {
        printedByCapture_ = false;
        return;
    }
    std::optional<TableLayout> measured;
    measured.swap(measured_);
    struct FlushFirst {
        OutputBuffer& out;
        ~FlushFirst() { out.Flush(); }
    } flush{out_};
    StartRecordset();
    if (csv_) {
        PrintRecordsetCsv(out_, path);
    } else {
        PrintRecordsetTable(out_, caption, path, measured ? &*measured : nullptr);
    }
    ++printed_;
}

void ConsoleRecordsets::StartRecordset() {
    if (printed_ > 0)
        out_.Append(csv_ ? "\r\n" : "\n");
}

}  // namespace tessel::cli
