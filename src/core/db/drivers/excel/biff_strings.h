// The shared strings of a workbook of the later format: the SST record and the CONTINUE
// records that carry on where it stops. A string's characters may go on in the next record,
// which then begins with a flag byte of its own (8 or 16 bits a character from there on).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessel::db::excel {

struct SharedStrings {
    std::vector<std::string> strings;
    bool damaged = false;  // the records end before the count that the SST record gives
};

// `parts` are the data of the SST record and of each CONTINUE record after it.
SharedStrings ReadSharedStrings(const std::vector<std::string_view>& parts);

}  // namespace tessel::db::excel
