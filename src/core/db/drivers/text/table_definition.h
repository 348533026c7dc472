// What a text file holds as a table: its format and its fields, from its schema.ini section
// where that names the columns, otherwise from the file itself: names from the header line (or
// F1, F2, ... without one) and types from the first MaxScanRows rows.
#pragma once

#include <string>
#include <vector>

#include "core/db/drivers/text/table_format.h"

namespace tessel::db::text {

struct TableDefinition {
    TableFormat format;
    std::vector<FieldInfo> fields;
    // True when rows added at the end cannot change the fields (the section names them, or
    // the types were judged from all the rows that MaxScanRows lets count).
    bool settledByRows = false;
};

// Throws EngineError naming schema.ini for a section it cannot use, or the file and line for
// a file it cannot read.
TableDefinition LoadDefinition(const std::string& path, const std::string& fileName,
                               const IniSection* section, const std::string& iniPath);

}  // namespace tessel::db::text
