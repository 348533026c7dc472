// Records as the bytes of their lines: fields joined by the file's delimiter (texts in quotes,
// other values quoted only where they hold the delimiter, a quote, a line break or outer
// blanks) or padded to a fixed-length file's widths; encoded in the file's code page and ended
// with CR LF.
#pragma once

#include <string>
#include <vector>

#include "core/base/code_page.h"
#include "core/db/drivers/text/field_values.h"
#include "core/db/drivers/text/table_format.h"

namespace tessel::db::text {

class RecordWriter {
  public:
    // Throws EngineError naming `path` when the code page is unknown.
    RecordWriter(const TableFormat& format, std::string path);

    // The line of a record, or of a header line of names. Throws EngineError for a character
    // the code page lacks or a value wider than its fixed-length field.
    std::string Line(const std::vector<FieldText>& fields, bool header = false);
    // The header line of the columns' names.
    std::string HeaderLine();

  private:
    std::string Delimited(const std::vector<FieldText>& fields, bool header);
    std::string Fixed(const std::vector<FieldText>& fields);
    std::string Encoded(const std::string& text);

    const TableFormat& format_;
    std::string path_;
    base::CodePage codePage_;
};

}  // namespace tessel::db::text
