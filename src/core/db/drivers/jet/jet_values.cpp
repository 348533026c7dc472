#include "core/db/drivers/jet/jet_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/base/date_serial.h"

namespace tessel::db::jet {
namespace {

constexpr std::size_t kDecimalSize = 17;
// A calculated field's decimal: two bytes of precision, the scale, the sign, then 96 bits.
constexpr std::size_t kCalculatedDecimalSize = 16;
constexpr std::size_t kGuidSize = 16;
constexpr std::size_t kExtendedDateSize = 42;
constexpr int kMostExactDigits = 15;

// Places a decimal point `scale` digits from the right of `digits`.
std::string WithScale(std::string digits, int scale, bool negative) {
    if (scale > 0) {
        if (digits.size() <= static_cast<std::size_t>(scale))
            digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
        digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    }
    return negative ? "-" + digits : digits;
}

std::string DigitsOf(unsigned __int128 value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

bool AllDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

long long NumberOf(std::string_view digits) {
    long long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

std::int64_t ReadLittleEndian(std::string_view bytes, std::size_t offset, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count && offset + i < bytes.size(); ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    if (count < 8 && count > 0 && (value >> (8 * count - 1)) & 1)
        value |= ~std::uint64_t{0} << (8 * count);  // sign-extend
    return static_cast<std::int64_t>(value);
}

Value DateValue(double serial) {
    const auto date = base::DateTimeOfAnySerial(serial);
    if (!date)
        return std::monostate{};
    // The time alone is kept as a date of 1899-12-30, as the rest of the program does.
    return base::IsoText(*date);
}

Value ExtendedDateValue(std::string_view stored) {
    // "DDDDDDDDDDDDDDDDDDD:SSSSSSSSSSSSSSSSSSS:FFFFFFF" less the separators' checks.
    if (stored.size() < kExtendedDateSize || !AllDigits(stored.substr(0, 19)) ||
        !AllDigits(stored.substr(20, 19)) || !AllDigits(stored.substr(40, 2)))
        return std::monostate{};
    const long long days = NumberOf(stored.substr(0, 19));
    const long long seconds = NumberOf(stored.substr(20, 19));
    if (days > 3652058 || seconds >= 86400)  // past 9999-12-31, or not a time of day
        return std::monostate{};
    base::DateTime date =
        base::DateOfDayNumber(base::DayNumberOf(1, 1, 1) + static_cast<long>(days));
    date.hour = static_cast<int>(seconds / 3600);
    date.minute = static_cast<int>(seconds / 60 % 60);
    date.second = static_cast<int>(seconds % 60);
    std::string text = base::IsoText(date);
    // The fraction: up to seven digits, after "SSS:" in the stored form.
    std::string fraction(stored.substr(40, std::min<std::size_t>(7, stored.size() - 40)));
    if (AllDigits(fraction)) {
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        if (!fraction.empty()) {
            if (text.size() == 10)
                text += " 00:00:00";
            text += "." + fraction;
        }
    }
    return text;
}

std::string CurrencyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const unsigned __int128 magnitude =
        negative ? static_cast<unsigned __int128>(-(static_cast<__int128>(tenThousandths)))
                 : static_cast<unsigned __int128>(tenThousandths);
    return WithScale(DigitsOf(magnitude), 4, negative);
}

Value CurrencyValue(std::int64_t tenThousandths) {
    return static_cast<double>(tenThousandths) / 10000.0;
}

std::optional<std::string> DecimalText(std::string_view stored, int scale) {
    if (stored.size() < kDecimalSize || scale < 0 || scale > 38)
        return std::nullopt;
    unsigned __int128 value = 0;
    for (std::size_t word = 0; word < 4; ++word) {
        const auto part = static_cast<std::uint32_t>(ReadLittleEndian(stored, 1 + 4 * word, 4));
        value = (value << 32) | part;
    }
    const bool negative = (static_cast<unsigned char>(stored[0]) & 0x80) != 0 && value != 0;
    return WithScale(DigitsOf(value), scale, negative);
}

namespace {

// A decimal's digits as a number when a double holds them exactly, else as text.
Value NumberOrText(const std::optional<std::string>& text) {
    if (!text)
        return std::monostate{};
    std::size_t significant = 0;
    bool leading = true;
    for (const char c : *text) {
        if (c < '0' || c > '9' || (leading && c == '0'))
            continue;
        leading = false;
        ++significant;
    }
    if (significant <= static_cast<std::size_t>(kMostExactDigits)) {
        double value = 0;
        const auto* begin = text->data();
        const auto result = std::from_chars(begin, begin + text->size(), value);
        if (result.ec == std::errc())
            return value;
    }
    return *text;
}

}  // namespace

Value DecimalValue(std::string_view stored, int scale) {
    return NumberOrText(DecimalText(stored, scale));
}

Value CalculatedDecimalValue(std::string_view stored) {
    if (stored.size() < kCalculatedDecimalSize)
        return std::monostate{};
    const int scale = static_cast<unsigned char>(stored[2]);
    if (scale > 38)
        return std::monostate{};
    const auto high = static_cast<std::uint32_t>(ReadLittleEndian(stored, 4, 4));
    const auto low = static_cast<std::uint64_t>(ReadLittleEndian(stored, 8, 8));
    const unsigned __int128 value = (static_cast<unsigned __int128>(high) << 64) | low;
    const bool negative = (static_cast<unsigned char>(stored[3]) & 0x80) != 0 && value != 0;
    return NumberOrText(WithScale(DigitsOf(value), scale, negative));
}

std::optional<std::string> GuidText(std::string_view stored) {
    if (stored.size() < kGuidSize)
        return std::nullopt;
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(stored[i]));
    };
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(static_cast<std::uint32_t>(ReadLittleEndian(stored, 0, 4))),
                  static_cast<unsigned>(static_cast<std::uint16_t>(ReadLittleEndian(stored, 4, 2))),
                  static_cast<unsigned>(static_cast<std::uint16_t>(ReadLittleEndian(stored, 6, 2))),
                  byte(8), byte(9), byte(10), byte(11), byte(12), byte(13), byte(14), byte(15));
    return std::string(text);
}

double SingleValue(float stored) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, stored);
    double value = stored;
    std::from_chars(text, written.ptr, value);
    return value;
}

}  // namespace tessel::db::jet
