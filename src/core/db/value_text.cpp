#include <cstdio>

#include "core/db/engine.h"

namespace tessel::db {

std::string ValueToText(const Value& value) {
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "True" : "False";
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    if (const auto* real = std::get_if<double>(&value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", *real);
        return text;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    return {};
}

}  // namespace tessel::db
