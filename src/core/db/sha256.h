// SHA-256, for checking database password digests of the older salted SHA-256 form (current
// files keep an Argon2id digest).
#pragma once

#include <string>
#include <string_view>

namespace tessel::db {

// The digest of `data` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view data);

}  // namespace tessel::db
