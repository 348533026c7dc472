#include "core/db/drivers/excel/xls_reader.h"

#include <utility>

#include "core/db/drivers/excel/biff_globals.h"
#include "core/db/drivers/excel/biff_sheet.h"
#include "core/db/drivers/excel/biff_text.h"
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

// Reads one sheet's cells into `sheet`, with a note for each fault met on the way.
void ReadSheet(std::string_view stream, const SheetEntry& entry, const BiffGlobals& globals,
               ByteText& text, std::size_t& budget, Workbook& book) {
    Sheet sheet;
    sheet.name = entry.name;
    const SheetCells cells = ReadSheetCells(stream, entry.offset, globals, text, sheet, budget);
    if (!cells.begun) {
        book.notes.push_back("the sheet '" + sheet.name + "' cannot be read");
    } else {
        // A damaged file may claim more than a sheet of the format can hold.
        if (cells.claimedRows != 0 || cells.claimedColumns != 0) {
            book.notes.push_back("the sheet '" + sheet.name + "' claims " +
                                 std::to_string(cells.claimedRows) + " rows and " +
                                 std::to_string(cells.claimedColumns) +
                                 " columns; only the first " + std::to_string(kMaxRows) +
                                 " rows and " + std::to_string(kMaxColumns) + " columns are read");
        }
        if (cells.damaged)
            book.notes.push_back("some cells of the sheet '" + sheet.name + "' cannot be read");
    }
    book.sheets.push_back(std::move(sheet));
}

}  // namespace

Workbook ReadXls(const std::string& path, const std::string& bytes) {
    const std::string stream = WorkbookStream(bytes, path);
    const BiffGlobals globals = ReadGlobals(stream);
    if (globals.encrypted)
        ThrowEncrypted(path);
    if (globals.version == 0)
        Unreadable(path, "it does not begin with a workbook record");
    if (globals.sheets.empty())
        Unreadable(path, "its list of sheets is missing or damaged");

    Workbook book;
    book.path = path;
    book.version = VersionText(globals.version);
    ByteText text(globals.codePage);
    // Named ranges count every sheet of the list; the workbook keeps only the worksheets.
    std::vector<std::size_t> bookIndex(globals.sheets.size(), SIZE_MAX);
    // Sound sheets read each byte of the stream once.
    std::size_t budget = stream.size();
    for (std::size_t s = 0; s < globals.sheets.size(); ++s) {
        if (!globals.sheets[s].worksheet)
            continue;
        bookIndex[s] = book.sheets.size();
        ReadSheet(stream, globals.sheets[s], globals, text, budget, book);
    }
    for (NamedRange name : globals.names) {
        if (name.sheet >= bookIndex.size() || bookIndex[name.sheet] == SIZE_MAX)
            continue;
        name.sheet = bookIndex[name.sheet];
        book.names.push_back(std::move(name));
    }
    return book;
}

}  // namespace tessel::db::excel
