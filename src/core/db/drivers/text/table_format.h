// How one text file is laid out: delimited or fixed-length fields, a header line of names or
// none, its code page, how dates and decimals are written, and its columns when schema.ini
// names them. Read from the file's schema.ini section (or the defaults for its extension), and
// written as a section for a table the program creates.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/base/code_page.h"
#include "core/db/drivers/text/date_format.h"
#include "core/db/drivers/text/schema_ini.h"
#include "core/db/engine.h"

namespace tessel::db::text {

enum class Layout { Delimited, FixedLength };

struct TextColumn {
    FieldInfo field;
    long width = 0;  // characters of a fixed-length field (0 when the section gives none)
};

struct TableFormat {
    Layout layout = Layout::Delimited;
    char delimiter = ',';
    bool header = true;
    std::string characterSet = "UTF-8";    // as schema.ini names it; UTF-8 falls back to 1252
    std::optional<DateFormat> dateFormat;  // nothing: ISO dates
    char decimalSymbol = '.';
    long maxScanRows = 25;            // 0: every row
    std::vector<TextColumn> columns;  // from ColN lines; empty when the data must say
};

// The format of `fileName` from `section` (nullptr: the defaults for the file's extension).
// Throws EngineError naming `iniPath`, the section and the value that cannot be used.
TableFormat FormatOf(const std::string& fileName, const IniSection* section,
                     const std::string& iniPath);

// The code page of a file of this format; throws EngineError naming `path` when the system
// cannot convert it.
base::CodePage CodePageOf(const TableFormat& format, const std::string& path);

// The schema.ini section that describes a new table of `fields` in UTF-8 CSV with a header.
// Throws EngineError for a field type that a text file cannot keep.
std::string SectionFor(const std::string& fileName, const std::vector<FieldInfo>& fields);

}  // namespace tessel::db::text
