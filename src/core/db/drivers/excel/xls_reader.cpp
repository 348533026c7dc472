#include "core/db/drivers/excel/xls_reader.h"

#include <freexl.h>

#include <algorithm>
#include <map>
#include <utility>

#include "core/base/date_serial.h"
#include "core/db/drivers/excel/biff_records.h"
#include "core/db/drivers/excel/compound_file.h"
#include "core/db/errors.h"

namespace tessel::db::excel {
namespace {

// The largest sheet of the classic format.
constexpr unsigned int kMaxRows = 65536;
constexpr unsigned short kMaxColumns = 256;

[[noreturn]] void Unreadable(const std::string& path, const std::string& why) {
    throw EngineError(err::kUnreadableDatabase,
                      "The workbook '" + path + "' cannot be read: " + why + ".");
}

std::string FreexlFault(int code) {
    switch (code) {
        case FREEXL_FILE_NOT_FOUND:
            return "the file cannot be opened";
        case FREEXL_INSUFFICIENT_MEMORY:
            return "there is not enough memory";
        case FREEXL_INVALID_CFBF_HEADER:
        case FREEXL_CFBF_INVALID_SIGNATURE:
        case FREEXL_CFBF_INVALID_SECTOR_SIZE:
            return "it is not a workbook file";
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
        case FREEXL_CFBF_EMPTY_FAT_CHAIN:
        case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
            return "its container is damaged";
        case FREEXL_BIFF_INVALID_BOF:
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return "it holds no workbook";
        case FREEXL_BIFF_INVALID_SST:
        case FREEXL_BIFF_ILLEGAL_SST_INDEX:
            return "its shared strings are damaged";
        case FREEXL_UNSUPPORTED_CHARSET:
            return "its text is in a code page that cannot be converted";
        default:
            return "its records are damaged (code " + std::to_string(code) + ")";
    }
}

class Handle {
  public:
    explicit Handle(const std::string& path) : code_(freexl_open(path.c_str(), &handle_)) {}
    ~Handle() { freexl_close(handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int Code() const { return code_; }
    const void* Get() const { return handle_; }

  private:
    const void* handle_ = nullptr;
    int code_;
};

Cell CellOf(const FreeXL_CellValue& value) {
    switch (value.type) {
        case FREEXL_CELL_INT:
            return {static_cast<double>(value.value.int_value), false};
        case FREEXL_CELL_DOUBLE:
            return {value.value.double_value, false};
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return {std::string(value.value.text_value ? value.value.text_value : ""), false};
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            if (value.value.text_value) {
                if (auto date = base::ParseIsoDateTime(value.value.text_value))
                    return {base::IsoText(*date), true};
                return {std::string(value.value.text_value), false};
            }
            return {};
        default:
            return {};
    }
}

std::string VersionText(int biff) {
    switch (biff) {
        case 8:
            return "8.0";
        case 5:
            return "5.0";
        case 4:
            return "4.0";
        case 3:
            return "3.0";
        default:
            return "2.0";
    }
}

}  // namespace

Workbook ReadXls(const std::string& path, const std::string& bytes) {
    const BiffFacts facts = ScanBiff(WorkbookStream(bytes, path));
    if (facts.encrypted)
        ThrowEncrypted(path);
    if (facts.biffVersion == 0)
        Unreadable(path, "it does not begin with a workbook record");
    Handle handle(path);
    if (handle.Code() != FREEXL_OK)
        Unreadable(path, FreexlFault(handle.Code()));
    if (handle.Get() == nullptr)
        Unreadable(path, "its records are damaged or of a kind this program does not read");

    Workbook book;
    book.path = path;
    book.version = VersionText(facts.biffVersion);
    unsigned int sheetCount = 0;
    freexl_get_info(handle.Get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    const bool formulasMatch = facts.formulas.size() == sheetCount;
    for (unsigned short s = 0; s < sheetCount; ++s) {
        Sheet sheet;
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.Get(), s, &name) != FREEXL_OK || name == nullptr)
            Unreadable(path, "the name of sheet " + std::to_string(s + 1) + " cannot be read");
        sheet.name = name;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle.Get(), s) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle.Get(), &rows, &columns) != FREEXL_OK) {
            book.notes.push_back("the sheet '" + sheet.name + "' cannot be read");
            book.sheets.push_back(std::move(sheet));
            continue;
        }
        // A damaged file may claim more than a sheet of the format can hold.
        if (rows > kMaxRows || columns > kMaxColumns) {
            book.notes.push_back("the sheet '" + sheet.name + "' claims " + std::to_string(rows) +
                                 " rows and " + std::to_string(columns) +
                                 " columns; only the first " + std::to_string(kMaxRows) +
                                 " rows and " + std::to_string(kMaxColumns) + " columns are read");
            rows = std::min(rows, kMaxRows);
            columns = std::min(columns, kMaxColumns);
        }
        std::map<std::pair<std::uint32_t, std::uint32_t>, const Value*> formulas;
        if (formulasMatch) {
            for (const auto& result : facts.formulas[s])
                formulas[{result.row, result.column}] = &result.value;
        }
        bool unreadCells = false;
        sheet.rows.resize(rows);
        for (unsigned int r = 0; r < rows; ++r) {
            auto& row = sheet.rows[r];
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value{};
                Cell cell;
                if (freexl_get_cell_value(handle.Get(), r, c, &value) == FREEXL_OK)
                    cell = CellOf(value);
                else
                    unreadCells = true;
                if (cell.value.index() == 0 && !formulas.empty()) {
                    if (auto it = formulas.find({r, c}); it != formulas.end())
                        cell.value = *it->second;
                }
                if (cell.value.index() != 0) {
                    row.resize(c + 1);
                    row[c] = std::move(cell);
                }
            }
        }
        if (unreadCells)
            book.notes.push_back("some cells of the sheet '" + sheet.name + "' cannot be read");
        if (!formulasMatch && facts.biffVersion != 0)
            book.notes.push_back("formula results of the sheet '" + sheet.name +
                                 "' cannot be read; those cells are Null");
        book.sheets.push_back(std::move(sheet));
    }
    for (const auto& name : facts.names) {
        if (name.sheet < book.sheets.size()) {
            book.names.push_back({name.name, name.sheet, name.firstRow, name.lastRow,
                                  name.firstColumn, name.lastColumn});
        }
    }
    return book;
}

}  // namespace tessel::db::excel
