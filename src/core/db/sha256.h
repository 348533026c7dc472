// SHA-256, for keeping a database password as a salted digest rather than as text.
#pragma once

#include <string>
#include <string_view>

namespace tessel::db {

// The digest of `data` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

}  // namespace tessel::db
