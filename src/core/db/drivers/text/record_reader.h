// The records of a text file, read forward in blocks so that memory stays the same whatever
// the file's size. Delimited files are parsed by libcsv (quoted fields with delimiters, quotes
// and line breaks inside, CR LF or LF line ends); fixed-length files are cut at the columns'
// widths. A UTF-8 byte-order mark is passed over, empty lines are skipped and every field is
// decoded from the file's code page to UTF-8. A failure names the file and the line.
#pragma once

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/base/code_page.h"
#include "core/db/drivers/text/field_values.h"
#include "core/db/drivers/text/table_format.h"

namespace tessel::db::text {

// A line or record longer than this is taken for a damaged file.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{32} << 20;

struct Record {
    std::vector<FieldText> fields;
    std::size_t line = 0;  // where the record begins, from 1
};

class RecordReader {
  public:
    // Throws EngineError naming the file when it cannot be opened or its code page is unknown.
    RecordReader(std::string path, const TableFormat& format);
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // The next record; false at the end of the file. Throws EngineError naming file and line.
    bool Next(Record& record);

    // Where reading failed, for messages: "'path', line 12: ".
    std::string Where(std::size_t line) const;

  private:
    struct Parser;
    bool NextLine(std::string_view& line);
    void ParseLine(std::string_view line);
    void CutFixedLine(std::string_view line);

    std::string path_;
    const TableFormat& format_;
    base::CodePage codePage_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<Parser> parser_;
    std::string buffer_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
    bool first_ = true;
    std::size_t lineNumber_ = 0;
    std::deque<Record> ready_;
};

}  // namespace tessel::db::text
