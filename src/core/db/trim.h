// Text without the white space around it, as the engine reads type names and numbers.
#pragma once

#include <string>
#include <string_view>

namespace tessel::db {

std::string TrimSpace(std::string_view text);

}  // namespace tessel::db
