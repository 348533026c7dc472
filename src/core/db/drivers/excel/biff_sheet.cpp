#include "core/db/drivers/excel/biff_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/base/date_serial.h"
#include "core/db/drivers/excel/biff_records.h"
#include "core/db/drivers/excel/little_endian.h"

namespace tessel::db::excel {
namespace {

// The largest sheet of the classic format.
constexpr std::size_t kMaxRows = 65536;
constexpr std::size_t kMaxColumns = 256;
// Days from 1899-12-30 to 1904-01-01, where the other date system counts from.
constexpr double kDays1904 = 1462;

class CellReader {
  public:
    CellReader(const BiffGlobals& globals, ByteText& text, Sheet& sheet, SheetCells& result)
        : globals_(globals),
          version_(globals.version),
          text_(text),
          sheet_(sheet),
          result_(result) {}

    void Read(const Record& record) {
        if (record.cut)
            result_.damaged = true;
        const std::string_view data = record.data;
        switch (record.type) {
            case rec::kDimension:
            case rec::kDimension2:
                Dimension(data);
                break;
            case rec::kNumber:
                if (Fits(data, 14))
                    Number(data, U16(data, 4), DoubleOf(data.substr(6)));
                break;
            case rec::kNumber2:
                if (Fits(data, 15))
                    Number(data, Style2(data), DoubleOf(data.substr(7)));
                break;
            case rec::kInteger2:
                if (Fits(data, 9))
                    Number(data, Style2(data), U16(data, 7));
                break;
            case rec::kRk:
                if (Fits(data, 10))
                    Number(data, U16(data, 4), RkValue(U32(data, 6)));
                break;
            case rec::kMulRk:
                MulRk(data);
                break;
            case rec::kLabel:
            case rec::kRString:
                if (Fits(data, 8))
                    Put(data, Label(data));
                break;
            case rec::kLabel2:
                if (Fits(data, 8))
                    Put(data, Cell{text_.Decode(data.substr(8, ByteAt(data, 7))), false});
                break;
            case rec::kLabelSst:
                if (Fits(data, 10))
                    SharedString(data, U32(data, 6));
                break;
            case rec::kBoolErr:
                if (Fits(data, 8))
                    Flag(data, ByteAt(data, 6), ByteAt(data, 7));
                break;
            case rec::kBoolErr2:
                if (Fits(data, 9))
                    Flag(data, ByteAt(data, 7), ByteAt(data, 8));
                break;
            case rec::kFormula:
            case rec::kFormula3:
            case rec::kFormula4:
                Formula(data);
                break;
            case rec::kString:
                if (pending_) {
                    pending_ = false;
                    PutAt(pendingRow_, pendingColumn_, Cell{StringText(data), false});
                }
                break;
            case rec::kIxfe:
                nextStyle_ = U16(data, 0);
                break;
            default:
                break;
        }
    }

    bool Pending() const { return pending_; }

  private:
    static std::size_t ByteAt(std::string_view data, std::size_t at) {
        return at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
    }

    // A cell record shorter than its kind's fixed part is damaged.
    bool Fits(std::string_view data, std::size_t size) {
        if (data.size() >= size)
            return true;
        result_.damaged = true;
        return false;
    }

    // The style of a version 2 cell: in its attribute bytes, or in the IXFE record before it.
    std::size_t Style2(std::string_view data) const {
        const std::size_t style = ByteAt(data, 4) & 0x3F;
        return style == 63 ? nextStyle_ : style;
    }

    bool IsDateStyle(std::size_t style) const {
        return style < globals_.dateStyles.size() && globals_.dateStyles[style];
    }

    void Dimension(std::string_view data) {
        std::size_t rows = 0, columns = 0;
        if (version_ == 8 && data.size() >= 14) {
            rows = U32(data, 4);
            columns = U16(data, 10);
        } else if (data.size() >= 8) {
            rows = U16(data, 2);
            columns = U16(data, 6);
        }
        if (rows > kMaxRows || columns > kMaxColumns) {
            result_.claimedRows = rows;
            result_.claimedColumns = columns;
        }
        // Only a hint: the cells themselves say where they are.
        sheet_.rows.reserve(std::min(rows, kMaxRows));
    }

    void Number(std::string_view data, std::size_t style, double value) {
        Put(data, IsDateStyle(style) ? DateCell(value, globals_.date1904) : Cell{value, false});
    }

    void MulRk(std::string_view data) {
        if (!Fits(data, 12))
            return;
        const std::size_t row = U16(data, 0);
        const std::size_t first = U16(data, 2);
        const std::size_t count = (data.size() - 6) / 6;
        if (std::size_t{U16(data, data.size() - 2)} + 1 != first + count)
            result_.damaged = true;  // the last column does not match the count of cells
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = 4 + 6 * i;
            const double value = RkValue(U32(data, at + 2));
            const std::size_t style = U16(data, at);
            PutAt(row, first + i,
                  IsDateStyle(style) ? DateCell(value, globals_.date1904) : Cell{value, false});
        }
    }

    Cell Label(std::string_view data) {
        if (version_ == 8)
            return {UnicodeStringOf(data, 6, true), false};
        return {text_.Decode(data.substr(8, U16(data, 6))), false};
    }

    void SharedString(std::string_view data, std::size_t index) {
        if (index >= globals_.strings.strings.size()) {
            result_.damaged = true;
            return;
        }
        Put(data, Cell{globals_.strings.strings[index], false});
    }

    void Flag(std::string_view data, std::size_t value, std::size_t isError) {
        if (isError == 0)
            Put(data, Cell{value != 0, false});
    }

    // The text of a STRING record that follows a formula with a text result.
    std::string StringText(std::string_view data) {
        if (version_ == 8)
            return UnicodeStringOf(data, 0, true);
        return text_.Decode(data.substr(std::min<std::size_t>(2, data.size()), U16(data, 0)));
    }

    void Formula(std::string_view data) {
        pending_ = false;
        const std::size_t resultAt = version_ == 2 ? 7 : 6;
        if (!Fits(data, resultAt + 8))
            return;
        const std::string_view result = data.substr(resultAt, 8);
        if (U16(result, 6) != 0xFFFF || version_ == 2) {
            const std::size_t style = version_ == 2 ? Style2(data) : U16(data, 4);
            Number(data, style, DoubleOf(result));
            return;
        }
        switch (static_cast<unsigned char>(result[0])) {
            case 0:
                // The text follows in a STRING record.
                pending_ = true;
                pendingRow_ = U16(data, 0);
                pendingColumn_ = U16(data, 2);
                break;
            case 1:
                Put(data, Cell{result[2] != 0, false});
                break;
            case 3:
                Put(data, Cell{std::string(), false});
                break;
            default:
                break;  // an error value (#DIV/0! ...) reads as Null
        }
    }

    void Put(std::string_view data, Cell&& cell) {
        PutAt(U16(data, 0), U16(data, 2), std::move(cell));
    }

    void PutAt(std::size_t row, std::size_t column, Cell&& cell) {
        if (row >= kMaxRows || column >= kMaxColumns) {
            result_.damaged = true;
            return;
        }
        auto& rows = sheet_.rows;
        if (row >= rows.size())
            rows.resize(row + 1);
        auto& cells = rows[row];
        if (column >= cells.size())
            cells.resize(column + 1);
        cells[column] = std::move(cell);
    }

    const BiffGlobals& globals_;
    const int version_;
    ByteText& text_;
    Sheet& sheet_;
    SheetCells& result_;
    std::size_t nextStyle_ = 0;
    bool pending_ = false;
    std::size_t pendingRow_ = 0, pendingColumn_ = 0;
};

}  // namespace

Cell DateCell(double serial, bool date1904) {
    if (!(serial >= 0))
        return {serial, false};
    double day = serial;
    if (serial >= 1) {
        if (date1904)
            day += kDays1904;
        else if (serial < 60)
            day += 1;  // the 1900 system counts a 29 February 1900 that never was
    }
    if (auto date = base::DateTimeOfAnySerial(day))
        return {base::IsoText(*date), true};
    return {serial, false};
}

SheetCells ReadSheetCells(std::string_view stream, std::size_t offset, const BiffGlobals& globals,
                          ByteText& text, Sheet& sheet, std::size_t& budget) {
    SheetCells result;
    RecordReader reader(stream, offset);
    Record record;
    if (offset >= stream.size() || !reader.Next(record) || VersionOfBof(record) == 0)
        return result;
    result.begun = true;
    CellReader cells(globals, text, sheet, result);
    int depth = 1;
    while (reader.Next(record)) {
        const std::size_t size = 4 + record.data.size();
        if (size > budget)
            break;
        budget -= size;
        if (VersionOfBof(record) != 0) {
            ++depth;  // a chart inside the sheet has its own BOF and EOF
            continue;
        }
        if (record.type == rec::kEof) {
            if (--depth == 0)
                return result;
            continue;
        }
        if (depth == 1)
            cells.Read(record);
    }
    result.damaged = true;  // the stream or the budget ends inside the sheet
    return result;
}

}  // namespace tessel::db::excel
