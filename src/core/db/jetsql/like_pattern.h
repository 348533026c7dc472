// The classic engine's LIKE patterns as SQLite GLOB patterns. The classic wildcards are "*"
// (any run of characters), "?" (one character), "#" (one digit), "[a-z]" (a character of a
// class), "[!a-z]" (a character outside it) and "[*]" (a wildcard taken literally); the
// comparison ignores case. GLOB knows the same classes but minds case, so each letter becomes
// a class of both its cases.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::jetsql {

// The GLOB pattern for a LIKE pattern that uses a classic wildcard; nothing for one that uses
// none (SQLite's LIKE already compares it as the classic engine does, and its own "%" and "_"
// keep working) or whose class is not closed.
std::optional<std::string> LikeAsGlob(std::string_view pattern);

}  // namespace tessel::db::jetsql
