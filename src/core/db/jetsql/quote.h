// Quoting of names and texts in the SQL that the engine writes for SQLite.
#pragma once

#include <string>
#include <string_view>

namespace tessel::db::jetsql {

// "name" with inner quotes doubled.
std::string QuoteName(std::string_view name);
// 'text' with inner quotes doubled.
std::string QuoteText(std::string_view text);

}  // namespace tessel::db::jetsql
