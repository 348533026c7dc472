#include "core/db/names.h"

#include "core/base/text.h"
#include "core/base/utf8.h"
#include "core/db/errors.h"

namespace tessel::db {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (base::UpperAscii(a[i]) != base::UpperAscii(b[i]))
            return false;
    }
    return true;
}

bool IsSystemTableName(std::string_view name) {
    return SameName(name.substr(0, 4), "MSys") || SameName(name.substr(0, 7), "sqlite_");
}

namespace {

constexpr std::size_t kMaxNameCharacters = 64;

}  // namespace

bool IsValidObjectName(std::string_view name) {
    if (name.empty() || name.front() == ' ' || base::Utf8CharacterCount(name) > kMaxNameCharacters)
        return false;
    for (unsigned char c : name) {
        if (c < 0x20)
            return false;
    }
    return name.find_first_of(".!`[]") == std::string_view::npos;
}

void CheckObjectName(std::string_view name) {
    if (IsValidObjectName(name))
        return;
    throw EngineError(err::kInvalidName,
                      "'" + std::string(name) +
                          "' isn't a valid name. Make sure that it doesn't include invalid "
                          "characters or punctuation and that it isn't too long.");
}

}  // namespace tessel::db
