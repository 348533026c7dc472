#include "core/db/names.h"

#include "core/base/text.h"

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

}  // namespace tessel::db
