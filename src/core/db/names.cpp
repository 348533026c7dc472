#include "core/db/names.h"

#include <cctype>

namespace tessel::db {
namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    }
    return true;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Upper(c);
    return out;
}

bool IsSystemTableName(std::string_view name) {
    return SameName(name.substr(0, 4), "MSys") || SameName(name.substr(0, 7), "sqlite_");
}

}  // namespace tessel::db
