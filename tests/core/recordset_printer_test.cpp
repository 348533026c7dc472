// The console program's printing of recordsets: numbers with the digits printf gave, a buffer
// that loses nothing across its flushes, CSV rows printed while a capture streams them, and
// tables measured during the capture, each the same as printing from the file afterwards.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

#include "cli/console_recordsets.h"
#include "cli/output_buffer.h"
#include "cli/recordset_printer.h"
#include "core/db/errors.h"
#include "core/script/recordset_file.h"
#include "support/temp_dir.h"

namespace tessel::cli {
namespace {

using Kind = db::ValueView::Kind;

std::string Printf15g(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string Real(double value) {
    char room[32];
    return std::string(RealText(value, room));
}

TEST(RecordsetPrinter, RealsKeepPrintfDigitsAtTheEdges) {
    const double edges[] = {0.1,
                            1e21,
                            -0.0,
                            0.0,
                            1e-7,
                            1e-5,
                            1e-4,
                            1e15,
                            1e14,
                            123456789012345.0,
                            1234567890123456.0,
                            9007199254740992.0,  // 2^53
                            9007199254740993.0,
                            -9223372036854775808.0,
                            0.30000000000000004,
                            2.5,
                            1.0 / 3,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::lowest(),
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::denorm_min(),
                            4.10650186539232e-310,
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(),
                            -std::numeric_limits<double>::quiet_NaN()};
    for (const double value : edges)
        EXPECT_EQ(Real(value), Printf15g(value)) << Printf15g(value);
    EXPECT_EQ(Real(0.1), "0.1");
    EXPECT_EQ(Real(1e21), "1e+21");
    EXPECT_EQ(Real(-0.0), "-0");
    EXPECT_EQ(Real(1e-7), "1e-07");
    EXPECT_EQ(Real(9007199254740992.0), "9.00719925474099e+15");
}

TEST(RecordsetPrinter, RandomRealsKeepPrintfDigits) {
    std::mt19937_64 bits(12);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t raw = bits();
        double value;
        std::memcpy(&value, &raw, sizeof value);
        ASSERT_EQ(Real(value), Printf15g(value)) << raw;
        // Values people type: few digits, any scale.
        const double typed =
            static_cast<double>(static_cast<std::int64_t>(raw % 2000001) - 1000000) *
            std::pow(10.0, static_cast<int>(raw >> 56) % 40 - 20);
        ASSERT_EQ(Real(typed), Printf15g(typed)) << raw;
    }
}

TEST(RecordsetPrinter, IntegersAtTheEnds) {
    char room[32];
    EXPECT_EQ(IntegerText(std::numeric_limits<std::int64_t>::min(), room), "-9223372036854775808");
    EXPECT_EQ(IntegerText(std::numeric_limits<std::int64_t>::max(), room), "9223372036854775807");
    EXPECT_EQ(IntegerText(0, room), "0");
}

TEST(RecordsetPrinter, BufferLosesNothingAcrossItsFlushes) {
    std::ostringstream stream;
    std::string expected;
    {
        OutputBuffer out(stream, 64);
        for (int i = 0; i < 500; ++i) {
            const std::string text(static_cast<std::size_t>(i % 150),
                                   static_cast<char>('a' + i % 26));
            out.Append(text);
            out.Spaces(static_cast<std::size_t>(i % 70));
            out.Integer(std::numeric_limits<std::int64_t>::min() + i);
            out.Real(i * 1.1e-300);
            out.Put(',');
            expected += text + std::string(static_cast<std::size_t>(i % 70), ' ') +
                        std::to_string(std::numeric_limits<std::int64_t>::min() + i) +
                        Printf15g(i * 1.1e-300) + ",";
        }
    }
    EXPECT_EQ(stream.str(), expected);
}

std::vector<db::ColumnInfo> GeneratedColumns() {
    return {{"ID", "LONG", db::ftype::kLong, 4},
            {"Name", "TEXT (50)", db::ftype::kText, 50},
            {"Price", "DOUBLE", db::ftype::kDouble, 8},
            {"Done", "BIT", db::ftype::kBoolean, 1},
            {"Note, \"quoted\"", "TEXT (50)", db::ftype::kText, 50}};
}

// Row i (from 1) of the generated rows; every seventh note is Null, every fifth has a comma,
// quotes and a line break, and a few notes are blobs.
class GeneratedCursor : public db::Cursor {
  public:
    GeneratedCursor(long rows, long failAfter = -1) : rows_(rows), failAfter_(failAfter) {}
    const std::vector<db::ColumnInfo>& Columns() const override { return columns_; }
    bool Next() override {
        if (row_ == failAfter_)
            throw db::EngineError(db::err::kReserved, "The statement failed halfway.");
        if (row_ >= rows_)
            return false;
        ++row_;
        name_ = "item " + std::to_string(row_);
        return true;
    }
    db::ValueView Get(std::size_t column) const override {
        db::ValueView value;
        switch (column) {
            case 0:
                value.kind = Kind::Integer;
                value.integer = row_;
                break;
            case 1:
                value.kind = Kind::Text;
                value.bytes = name_;
                break;
            case 2:
                value.kind = Kind::Real;
                value.real = row_ * 0.1;
                break;
            case 3:
                value.kind = Kind::Integer;
                value.integer = row_ % 2 == 0 ? -1 : 0;
                break;
            default:
                if (row_ % 7 == 0)
                    break;
                value.kind = row_ % 11 == 0 ? Kind::Blob : Kind::Text;
                value.bytes = row_ % 5 == 0 ? std::string_view("a,\"b\"\r\nc") : "plain";
                break;
        }
        return value;
    }

  private:
    std::vector<db::ColumnInfo> columns_ = GeneratedColumns();
    long rows_;
    long failAfter_;
    long row_ = 0;
    std::string name_;
};

std::string ExpectedNote(long row, bool csv) {
    if (row % 7 == 0)
        return csv ? "" : "NULL";
    if (row % 11 == 0)
        return row % 5 == 0 ? "X'612C2262220D0A63'" : "X'706C61696E'";
    if (row % 5 != 0)
        return "plain";
    return csv ? "\"a,\"\"b\"\"\r\nc\"" : "a,\"b\"\\r\\nc";
}

std::string ExpectedCsv(long rows) {
    std::string text = "ID,Name,Price,Done,\"Note, \"\"quoted\"\"\"\r\n";
    for (long i = 1; i <= rows; ++i) {
        text += std::to_string(i) + ",item " + std::to_string(i) + "," + Printf15g(i * 0.1) +
                (i % 2 == 0 ? ",-1," : ",0,") + ExpectedNote(i, true) + "\r\n";
    }
    return text;
}

constexpr long kManyRows = 5000;

class ConsolePrinting : public ::testing::Test {
  protected:
    std::string Capture(ConsoleRecordsets& printing, long rows, long failAfter = -1) {
        const std::string path = dir.File("recordset" + std::to_string(++captures) + ".rst");
        GeneratedCursor cursor(rows, failAfter);
        WriteRecordsetFile(path, "SELECT generated", cursor, &printing);
        return path;
    }

    test::TempDir dir;
    int captures = 0;
};

TEST_F(ConsolePrinting, CsvRowsPrintWhileTheyAreCapturedAndEqualTheFile) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(true, streamed);
    const std::string path = Capture(printing, kManyRows);
    // Every row is out before the view is bound, and binding prints nothing more.
    EXPECT_EQ(streamed.str(), ExpectedCsv(kManyRows));
    printing.Print("recordset1", path);
    EXPECT_EQ(streamed.str(), ExpectedCsv(kManyRows));

    std::ostringstream fromFile;
    {
        OutputBuffer out(fromFile);
        PrintRecordsetCsv(out, path);
    }
    EXPECT_EQ(fromFile.str(), ExpectedCsv(kManyRows));
}

TEST_F(ConsolePrinting, CsvRecordsetsAreSeparatedByABlankLine) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(true, streamed);
    printing.Print("recordset1", Capture(printing, 2));
    printing.Print("recordset2", Capture(printing, 0));
    EXPECT_EQ(streamed.str(), ExpectedCsv(2) + "\r\n" + ExpectedCsv(0));
}

TEST_F(ConsolePrinting, FailedCsvCaptureKeepsTheRowsPrintedBeforeIt) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(true, streamed);
    EXPECT_THROW(Capture(printing, 10, 3), db::EngineError);
    EXPECT_EQ(streamed.str(), ExpectedCsv(3));
    // A statement that fails before its first row prints nothing, not even its header.
    EXPECT_THROW(Capture(printing, 10, 0), db::EngineError);
    EXPECT_EQ(streamed.str(), ExpectedCsv(3));
    printing.Print("recordset3", Capture(printing, 1));
    EXPECT_EQ(streamed.str(), ExpectedCsv(3) + "\r\n" + ExpectedCsv(1));
}

std::string Padded(const std::string& text, std::size_t width, bool right) {
    const std::string gap(width - text.size(), ' ');
    return right ? gap + text : text + gap;
}

std::string ExpectedTable(long rows) {
    std::size_t widths[] = {2, 4, 5, 5, 14};
    for (long i = 1; i <= rows; ++i) {
        widths[0] = std::max(widths[0], std::to_string(i).size());
        widths[1] = std::max(widths[1], ("item " + std::to_string(i)).size());
        widths[2] = std::max(widths[2], Printf15g(i * 0.1).size());
        widths[4] = std::max(widths[4], ExpectedNote(i, false).size());
    }
    std::string text = "recordset9\n" + Padded("ID", widths[0], false) + " | " +
                       Padded("Name", widths[1], false) + " | " +
                       Padded("Price", widths[2], false) + " | " +
                       Padded("Done", widths[3], false) + " | Note, \"quoted\"\n";
    for (std::size_t i = 0; i < 5; ++i)
        text += (i == 0 ? "" : "-+-") + std::string(widths[i], '-');
    text += '\n';
    for (long i = 1; i <= rows; ++i) {
        text += Padded(std::to_string(i), widths[0], true) + " | " +
                Padded("item " + std::to_string(i), widths[1], false) + " | " +
                Padded(Printf15g(i * 0.1), widths[2], true) + " | " +
                Padded(i % 2 == 0 ? "True" : "False", widths[3], false) + " | " +
                ExpectedNote(i, false) + "\n";
    }
    return text + "(" + std::to_string(rows) + (rows == 1 ? " row)\n" : " rows)\n");
}

TEST_F(ConsolePrinting, TableMeasuredDuringTheCaptureEqualsTheTableMeasuredFromTheFile) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(false, streamed);
    const std::string path = Capture(printing, kManyRows);
    // Nothing prints until the view is bound: the widths need every row.
    EXPECT_EQ(streamed.str(), "");
    printing.Print("recordset9", path);
    EXPECT_EQ(streamed.str(), ExpectedTable(kManyRows));

    std::ostringstream fromFile;
    {
        OutputBuffer out(fromFile);
        PrintRecordsetTable(out, "recordset9", path);
    }
    EXPECT_EQ(fromFile.str(), ExpectedTable(kManyRows));
}

TEST_F(ConsolePrinting, FailedTableCapturePrintsNothingAndTheNextOneIsWhole) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(false, streamed);
    EXPECT_THROW(Capture(printing, 10, 4), db::EngineError);
    EXPECT_EQ(streamed.str(), "");
    printing.Print("recordset9", Capture(printing, 1));
    EXPECT_EQ(streamed.str(), ExpectedTable(1));
    printing.Print("recordset9", Capture(printing, 12));
    EXPECT_EQ(streamed.str(), ExpectedTable(1) + "\n" + ExpectedTable(12));
}

TEST_F(ConsolePrinting, UnreadableFileIsAnEngineError) {
    std::ostringstream streamed;
    ConsoleRecordsets printing(false, streamed);
    EXPECT_THROW(printing.Print("recordset1", dir.File("missing.rst")), db::EngineError);
    test::WriteBytes(dir.File("foreign.rst"), "not a database at all");
    EXPECT_THROW(printing.Print("recordset1", dir.File("foreign.rst")), db::EngineError);
}

}  // namespace
}  // namespace tessel::cli
