// A workbook as the Excel driver holds it: every sheet's cells read once into memory, with the
// facts that the tables are built from (dates kept apart from numbers) and the faults met on
// the way, which are reported once instead of failing the whole file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/db/engine.h"

namespace tessel::db::excel {

struct Cell {
    Value value;        // Null, bool, double or text; a date as its ISO text
    bool date = false;  // the text is a date ("2001-02-03" or "2001-02-03 04:05:06")
};

struct Sheet {
    std::string name;
    std::vector<std::vector<Cell>> rows;  // ragged: a row holds up to its last used cell
};

// A named range of one sheet: rows and columns counted from 0, both ends included.
struct NamedRange {
    std::string name;
    std::size_t sheet = 0;
    std::size_t firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
};

struct Workbook {
    std::string path;
    std::string version;  // "8.0" for the classic format, "12.0" for the zipped ones
    std::vector<Sheet> sheets;
    std::vector<NamedRange> names;
    // Faults that left cells Null, each said once: "formula results in 'Sheet1$' could not be
    // read".
    std::vector<std::string> notes;
};

// Reads a workbook of any of the three kinds, chosen by its signature. Throws EngineError
// naming the file: err::kFileMissing, err::kCannotOpenFile for an encrypted workbook,
// err::kUnreadableDatabase for a file that is not a workbook or is damaged.
Workbook ReadWorkbook(const std::string& path);

// What the signature of the file says it is.
enum class WorkbookKind { None, Biff, Zip };
WorkbookKind KindOfFile(const std::string& path);

}  // namespace tessel::db::excel
