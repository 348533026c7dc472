// Jet #date# literals: the text between the # marks, in the US form m/d/yyyy (also with "-"),
// the ISO form yyyy-mm-dd, or with a month name ("Jan 5, 2001", "5-Jan-2001"), optionally
// followed by a time (h:mm[:ss] [AM|PM]); a time alone is allowed too.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::jetsql {

// The ISO-8601 text of the literal ("2001-02-03", "2001-02-03 04:05:06", "04:05:06"), or
// nothing when the text is not a valid date.
std::optional<std::string> JetDateToIso(std::string_view literal);

}  // namespace tessel::db::jetsql
