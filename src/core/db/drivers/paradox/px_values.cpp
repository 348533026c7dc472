#include "core/db/drivers/paradox/px_values.h"

#include <cstring>

#include "core/base/date_serial.h"
#include "core/db/drivers/dbf/dbf_values.h"

namespace tessel::db::paradox {
namespace {

constexpr long kMillisecondsPerDay = 86400000L;
// Day 1 of the format is 0001-01-01, Julian day 1721426.
constexpr long kJulianDayBeforeDayOne = 1721425;

std::uint64_t Be(const unsigned char* p, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | p[i];
    return value;
}

bool AllZero(const unsigned char* p, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (p[i] != 0)
            return false;
    }
    return true;
}

// A signed integer of `count` bytes whose top bit was flipped.
std::int64_t FlippedInteger(const unsigned char* p, std::size_t count) {
    const std::uint64_t top = std::uint64_t{1} << (8 * count - 1);
    const std::uint64_t raw = Be(p, count) ^ top;
    return static_cast<std::int64_t>(raw) -
           ((raw & top) != 0 ? static_cast<std::int64_t>(top) * 2 : 0);
}

// A double whose positive values have the sign bit set and negative ones all bits inverted.
double FlippedDouble(const unsigned char* p) {
    std::uint64_t bits = Be(p, 8);
    bits = (bits & 0x8000000000000000ull) != 0 ? bits ^ 0x8000000000000000ull : ~bits;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

FieldInfo FieldInfoOf(const PxField& field) {
    FieldInfo info;
    info.name = field.name;
    info.attributes = attr::kFixedField;
    switch (field.type) {
        case ptype::kAlpha:
            info.type = ftype::kText;
            info.size = field.size;
            info.attributes = attr::kVariableField;
            break;
        case ptype::kDate:
        case ptype::kTimestamp:
            info.type = ftype::kDate;
            info.size = 8;
            break;
        case ptype::kTime:
            info.type = ftype::kTime;
            info.size = 8;
            break;
        case ptype::kShort:
            info.type = ftype::kInteger;
            info.size = 2;
            break;
        case ptype::kLong:
            info.type = ftype::kLong;
            info.size = 4;
            break;
        case ptype::kAutoIncrement:
            info.type = ftype::kLong;
            info.size = 4;
            info.attributes |= attr::kAutoIncrField;
            break;
        case ptype::kCurrency:
            info.type = ftype::kCurrency;
            info.size = 8;
            break;
        case ptype::kNumber:
            info.type = ftype::kDouble;
            info.size = 8;
            break;
        case ptype::kLogical:
            info.type = ftype::kBoolean;
            info.size = 1;
            break;
        case ptype::kBcd:
            info.type = ftype::kDecimal;
            info.size = 17;
            break;
        case ptype::kBytes:
            info.type = ftype::kBinary;
            info.size = field.size;
            break;
        case ptype::kMemo:
        case ptype::kFormattedMemo:
            info.type = ftype::kMemo;
            info.attributes = attr::kVariableField;
            break;
        default:  // blob, OLE, graphic
            info.type = ftype::kLongBinary;
            info.attributes = attr::kVariableField;
            break;
    }
    return info;
}

Value DateOfDays(long days, long milliseconds) {
    if (days < 1)
        return std::monostate{};
    return dbf::DateOfJulian(days + kJulianDayBeforeDayOne, milliseconds);
}

std::string BcdText(const unsigned char* bytes, int decimals) {
    const bool negative = (bytes[0] & 0x80) == 0;
    std::string digits;
    for (int i = 0; i < 32; ++i) {
        int nibble = (bytes[1 + i / 2] >> (i % 2 == 0 ? 4 : 0)) & 0x0F;
        if (negative)
            nibble = 0x0F - nibble;
        // Some writers leave rubbish after the last digit they set; it is no digit.
        if (nibble > 9) {
            digits.append(static_cast<std::size_t>(32 - i), '0');
            break;
        }
        digits.push_back(static_cast<char>('0' + nibble));
    }
    if (decimals > 32)
        decimals = 32;
    std::string whole = digits.substr(0, static_cast<std::size_t>(32 - decimals));
    std::string fraction = digits.substr(static_cast<std::size_t>(32 - decimals));
    whole.erase(0, whole.find_first_not_of('0'));
    if (whole.empty())
        whole = "0";
    fraction.erase(fraction.find_last_not_of('0') + 1);
    const bool zero = whole == "0" && fraction.empty();
    std::string text = (negative && !zero ? "-" : "") + whole;
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

Value DecodeFixed(const PxField& field, const unsigned char* bytes,
                  const std::function<std::string(std::string_view)>& text) {
    if (AllZero(bytes, field.length))
        return std::monostate{};
    switch (field.type) {
        case ptype::kAlpha: {
            const auto* end =
                static_cast<const unsigned char*>(std::memchr(bytes, 0, field.length));
            const std::size_t length =
                end == nullptr ? field.length : static_cast<std::size_t>(end - bytes);
            return text(std::string_view(reinterpret_cast<const char*>(bytes), length));
        }
        case ptype::kShort:
        case ptype::kLong:
        case ptype::kAutoIncrement:
            return FlippedInteger(bytes, field.length);
        case ptype::kDate:
            return DateOfDays(static_cast<long>(FlippedInteger(bytes, 4)), 0);
        case ptype::kTime: {
            const std::int64_t ms = FlippedInteger(bytes, 4);
            return DateOfDays(base::DayNumberOf(1899, 12, 30) - base::DayNumberOf(1, 1, 1) + 1,
                              static_cast<long>(ms));
        }
        case ptype::kTimestamp: {
            const double ms = FlippedDouble(bytes);
            if (!(ms >= 0) || ms > 1e15)
                return std::monostate{};
            const auto whole = static_cast<long long>(ms);
            return DateOfDays(static_cast<long>(whole / kMillisecondsPerDay),
                              static_cast<long>(whole % kMillisecondsPerDay));
        }
        case ptype::kCurrency:
        case ptype::kNumber:
            return FlippedDouble(bytes);
        case ptype::kLogical:
            return bytes[0] == 0x81 ? true : (bytes[0] == 0x80 ? Value(false) : Value{});
        case ptype::kBcd:
            return BcdText(bytes, field.size);
        case ptype::kBytes:
            return std::string(reinterpret_cast<const char*>(bytes), field.length);
        default:
            return std::monostate{};
    }
}

}  // namespace tessel::db::paradox
