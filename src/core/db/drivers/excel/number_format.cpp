#include "core/db/drivers/excel/number_format.h"

namespace tessel::db::excel {

bool IsBuiltInDateFormat(std::size_t id) {
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

bool IsDateFormatCode(std::string_view code) {
    bool quoted = false;
    int bracket = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;  // the next character is shown as it is, or is padding
        } else if (c == '[') {
            ++bracket;
        } else if (c == ']') {
            bracket = bracket > 0 ? bracket - 1 : 0;
        } else if (bracket == 0) {
            switch (c) {
                case 'd':
                case 'D':
                case 'm':
                case 'M':
                case 'y':
                case 'Y':
                case 'h':
                case 'H':
                case 's':
                case 'S':
                    return true;
                default:
                    break;
            }
        }
    }
    return false;
}

}  // namespace tessel::db::excel
