#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/base/text.h"
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

std::optional<double> NumberOfValue(const Value& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*integer);
    if (const auto* real = std::get_if<double>(&value))
        return *real;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? -1.0 : 0.0;
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr)
        return std::nullopt;
    const std::string trimmed = base::Trim(*text);
    std::string_view digits(trimmed);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

}  // namespace tessel::db
