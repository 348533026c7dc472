#include "app/dialogs/timeout_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/db/errors.h"
#include "core/db/sqlite/jet_values.h"
#include "core/session/standard_error.h"

namespace tessel::app {

namespace {

bool Digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

bool IsNumberText(const QString& text) {
    return db::sqlite::ParseNumber(text.toStdString()).has_value();
}

double LeadingNumber(const QString& text) {
    const std::string bytes = text.toStdString();
    if (const auto whole = db::sqlite::ParseNumber(bytes))
        return *whole;
    // The longest start that reads as a decimal number: "2.5 s" is 2.5, "abc" is 0.
    std::size_t at = bytes.find_first_not_of(" \t");
    if (at == std::string::npos)
        return 0;
    const std::size_t start = at;
    if (bytes[at] == '+' || bytes[at] == '-')
        ++at;
    std::size_t digits = 0;
    for (; at < bytes.size() && Digit(bytes[at]); ++at)
        ++digits;
    if (at < bytes.size() && bytes[at] == '.') {
        ++at;
        for (; at < bytes.size() && Digit(bytes[at]); ++at)
            ++digits;
    }
    if (digits == 0)
        return 0;
    std::size_t end = at;
    if (at < bytes.size() && (bytes[at] == 'e' || bytes[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < bytes.size() && (bytes[exponent] == '+' || bytes[exponent] == '-'))
            ++exponent;
        if (exponent < bytes.size() && Digit(bytes[exponent])) {
            while (exponent < bytes.size() && Digit(bytes[exponent]))
                ++exponent;
            end = exponent;
        }
    }
    return std::strtod(bytes.substr(start, end - start).c_str(), nullptr);
}

double WholeValue(const QString& text) {
    // The default rounding mode sends a half to the even neighbour.
    return std::nearbyint(LeadingNumber(text));
}

int Whole16(const QString& text, const char* what) {
    const double value = WholeValue(text);
    if (!(value >= -32768 && value <= 32767)) {
        throw ProgramError(db::err::kOverflow, std::string("Overflow: the ") + what + " of " +
                                                   text.trimmed().toStdString() +
                                                   " seconds is outside -32768 to 32767.");
    }
    return static_cast<int>(value);
}

}  // namespace tessel::app
