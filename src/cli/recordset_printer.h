// Printing a recordset file: an aligned table for people, or CSV for other programs. Both read
// the file a page at a time, so a result of millions of rows prints in little memory.
#pragma once

#include <iosfwd>
#include <string>

namespace tessel::cli {

// "caption", then the column names, a rule, the rows (numbers right-aligned, Null as "NULL",
// line breaks inside a value as \r and \n) and "(N rows)". Throws EngineError when the file
// cannot be read.
void PrintRecordsetTable(std::ostream& out, const std::string& caption, const std::string& path);
// A header line of column names, then one line per row (RFC 4180 quoting, Null as nothing).
void PrintRecordsetCsv(std::ostream& out, const std::string& path);

}  // namespace tessel::cli
