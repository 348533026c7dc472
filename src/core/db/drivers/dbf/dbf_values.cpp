#include "core/db/drivers/dbf/dbf_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/base/date_serial.h"
#include "core/db/drivers/dbf/dbf_bytes.h"

namespace tessel::db::dbf {
namespace {

constexpr long kMillisecondsPerDay = 86400000L;

bool IsBinaryType(const TableHeader& header, char type) {
    switch (type) {
        case 'I':
        case 'B':
        case 'Y':
        case 'T':
        case '0':
        case 'Q':
            return true;
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            return IsVisualFoxPro(header.version);
        default:
            return false;
    }
}

std::string_view TrimmedRight(std::string_view bytes) {
    const auto end = bytes.find_last_not_of(std::string_view(" \0", 2));
    return end == std::string_view::npos ? std::string_view() : bytes.substr(0, end + 1);
}

std::string_view Trimmed(std::string_view bytes) {
    bytes = TrimmedRight(bytes);
    const auto start = bytes.find_first_not_of(' ');
    return start == std::string_view::npos ? std::string_view() : bytes.substr(start);
}

// dBase 7 keeps integers big-endian with the sign bit flipped, so that bytes sort as numbers.
std::int64_t Dbase7Integer(std::string_view bytes) {
    return static_cast<std::int32_t>(ReadBe(bytes, 0, 4) ^ 0x80000000u);
}

double Dbase7Double(std::string_view bytes) {
    std::uint64_t bits = ReadBe64(bytes, 0);
    bits = (bits & 0x8000000000000000ull) != 0 ? bits ^ 0x8000000000000000ull : ~bits;
    return DoubleOfBits(bits);
}

Value DecodeDate(std::string_view bytes) {
    if (bytes.size() != 8)
        return std::monostate{};
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < widths[i]; ++k, ++at) {
            const char c = bytes[at];
            if (c < '0' || c > '9')
                return std::monostate{};
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    if (parts[0] < base::kFirstYear || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 ||
        parts[2] > base::DaysInMonth(parts[0], parts[1]))
        return std::monostate{};
    base::DateTime date;
    date.year = parts[0];
    date.month = parts[1];
    date.day = parts[2];
    return base::IsoText(date);
}

Value DecodeNumber(std::string_view bytes, const FieldDescriptor& field) {
    const std::string text(Trimmed(bytes));
    if (text.empty() || text[0] == '*')
        return std::monostate{};
    char* stop = nullptr;
    const double value = std::strtod(text.c_str(), &stop);
    if (stop == text.c_str() || !std::isfinite(value))
        return std::monostate{};
    if (field.type == 'N' && field.decimals == 0 && field.length <= 9)
        return static_cast<std::int64_t>(value);
    return value;
}

[[noreturn]] void Refuse(long number, const FieldPlace& place, const std::string& why) {
    throw EngineError(number, "The value for the field '" + place.field.name + "' of the table '" +
                                  place.table + "' " + why + ".");
}

std::optional<double> NumberOf(const Value& value) {
    return NumberOfValue(value);
}

std::string TextOf(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "1" : "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::get<double>(value));
    return buffer;
}

base::DateTime DateOf(const Value& value, const FieldPlace& place) {
    std::optional<base::DateTime> date;
    if (const auto* text = std::get_if<std::string>(&value))
        date = base::ParseIsoDateTime(*text);
    else if (auto number = NumberOf(value))
        date = base::DateTimeOfSerial(*number);
    if (!date)
        Refuse(err::kDataTypeMismatch, place, "is not a date");
    return *date;
}

std::string DigitsOf(double number, const FieldDescriptor& field, const FieldPlace& place) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(field.decimals), number);
    std::string text = buffer;
    if (text.size() > field.length) {
        Refuse(err::kNumericOverflow, place,
               "(" + TextOf(number) + ") does not fit in " + std::to_string(field.length) +
                   " digits with " + std::to_string(field.decimals) + " decimals");
    }
    return std::string(field.length - text.size(), ' ') + text;
}

std::string Encoded(TextCodec& codec, const FieldDescriptor& field, const std::string& text,
                    const FieldPlace& place) {
    if ((field.flags & fieldflag::kBinary) != 0 || field.type == 'Q')
        return text;
    auto stored = codec.Encode(text);
    if (!stored)
        Refuse(err::kDataTypeMismatch, place,
               "has a character that the table's code page cannot hold");
    return *stored;
}

void PutBlank(std::string& record, const TableHeader& header, const FieldDescriptor& field) {
    const char fill = IsBinaryType(header, field.type) ? '\0' : (field.type == 'L' ? '?' : ' ');
    record.replace(field.offset, field.length, field.length, fill);
}

}  // namespace

Value DateOfJulian(long julianDay, long milliseconds) {
    if (julianDay <= 0 || milliseconds < 0 || milliseconds >= kMillisecondsPerDay)
        return std::monostate{};
    base::DateTime date = base::DateOfDayNumber(julianDay - kJulianDayOfSerialZero);
    if (date.year < base::kFirstYear || date.year > base::kLastYear)
        return std::monostate{};
    const long seconds = (milliseconds + 500) / 1000;
    date.hour = static_cast<int>(seconds / 3600);
    date.minute = static_cast<int>(seconds / 60 % 60);
    date.second = static_cast<int>(seconds % 60);
    if (date.hour > 23)
        date.hour = 23, date.minute = 59, date.second = 59;
    return base::IsoText(date);
}

bool IsMemoType(const TableHeader& header, const FieldDescriptor& field) {
    switch (field.type) {
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            return true;
        case 'B':
            return !IsVisualFoxPro(header.version);
        default:
            return false;
    }
}

bool NullFlag(std::string_view record, const TableHeader& header, int bit) {
    if (bit < 0 || header.nullFlagsField < 0)
        return false;
    const auto& flags = header.fields[header.nullFlagsField];
    const auto byte = static_cast<unsigned char>(record[flags.offset + bit / 8]);
    return (byte >> (bit % 8) & 1) != 0;
}

void SetNullFlag(std::string& record, const TableHeader& header, int bit, bool on) {
    if (bit < 0 || header.nullFlagsField < 0)
        return;
    const auto& flags = header.fields[header.nullFlagsField];
    auto& byte = record[flags.offset + bit / 8];
    const auto mask = static_cast<unsigned char>(1u << (bit % 8));
    byte = static_cast<char>(on ? (static_cast<unsigned char>(byte) | mask)
                                : (static_cast<unsigned char>(byte) & ~mask));
}

Value DecodeField(std::string_view record, const TableHeader& header, const FieldDescriptor& field,
                  TextCodec& codec) {
    if (NullFlag(record, header, field.nullBit))
        return std::monostate{};
    const std::string_view bytes = record.substr(field.offset, field.length);
    const bool dbase7 = header.layout == Layout::Dbase7;
    switch (field.type) {
        case 'C': {
            if ((field.flags & fieldflag::kBinary) != 0)
                return std::string(bytes);
            const auto text = TrimmedRight(bytes);
            if (text.empty() && !IsVisualFoxPro(header.version))
                return std::monostate{};
            return codec.Decode(text);
        }
        case 'V':
        case 'Q': {
            std::size_t length = bytes.size();
            if (NullFlag(record, header, field.lengthBit))
                length = std::min<std::size_t>(static_cast<unsigned char>(bytes.back()),
                                               bytes.size() - 1);
            const auto data = bytes.substr(0, length);
            if (field.type == 'Q' || (field.flags & fieldflag::kBinary) != 0)
                return std::string(data);
            return codec.Decode(data);
        }
        case 'N':
        case 'F':
            return DecodeNumber(bytes, field);
        case 'D':
            return DecodeDate(bytes);
        case 'L':
            switch (bytes[0]) {
                case 'T':
                case 't':
                case 'Y':
                case 'y':
                    return true;
                case 'F':
                case 'f':
                case 'N':
                case 'n':
                    return false;
                default:
                    return std::monostate{};
            }
        case 'I':
        case '+':
            if (bytes.size() != 4)
                return std::monostate{};
            if (dbase7)
                return Dbase7Integer(bytes);
            return static_cast<std::int64_t>(static_cast<std::int32_t>(ReadLe(bytes, 0, 4)));
        case 'B':
            if (bytes.size() != 8)
                return std::monostate{};
            return DoubleOfBits(ReadLe64(bytes, 0));
        case 'O':
            if (bytes.size() != 8)
                return std::monostate{};
            return Dbase7Double(bytes);
        case 'Y':
            if (bytes.size() != 8)
                return std::monostate{};
            return static_cast<double>(static_cast<std::int64_t>(ReadLe64(bytes, 0))) / 10000.0;
        case 'T':
            if (bytes.size() != 8)
                return std::monostate{};
            return DateOfJulian(static_cast<std::int32_t>(ReadLe(bytes, 0, 4)),
                                static_cast<std::int32_t>(ReadLe(bytes, 4, 4)));
        case '@': {
            if (bytes.size() != 8)
                return std::monostate{};
            const double milliseconds = Dbase7Double(bytes);
            if (!(milliseconds > 0) || milliseconds > 1e15)
                return std::monostate{};
            const auto whole = static_cast<long long>(milliseconds);
            return DateOfJulian(static_cast<long>(whole / kMillisecondsPerDay),
                                static_cast<long>(whole % kMillisecondsPerDay));
        }
        case '0':
            return std::monostate{};
        default:
            return codec.Decode(TrimmedRight(bytes));
    }
}

void EncodeField(std::string& record, const TableHeader& header, const FieldDescriptor& field,
                 TextCodec& codec, const Value& value, const std::string& table) {
    const FieldPlace place{table, field};
    const bool null = std::holds_alternative<std::monostate>(value);
    SetNullFlag(record, header, field.nullBit, null);
    if (null) {
        PutBlank(record, header, field);
        return;
    }
    std::string bytes(field.length, IsBinaryType(header, field.type) ? '\0' : ' ');
    switch (field.type) {
        case 'C': {
            const std::string stored = Encoded(codec, field, TextOf(value), place);
            if (stored.size() > field.length) {
                Refuse(err::kFieldTooSmall, place,
                       "is longer than its " + std::to_string(field.length) + " characters");
            }
            bytes.replace(0, stored.size(), stored);
            break;
        }
        case 'V':
        case 'Q': {
            const std::string stored = Encoded(codec, field, TextOf(value), place);
            if (stored.size() > field.length) {
                Refuse(err::kFieldTooSmall, place,
                       "is longer than its " + std::to_string(field.length) + " bytes");
            }
            bytes.assign(field.length, '\0');
            bytes.replace(0, stored.size(), stored);
            const bool shorter = stored.size() < field.length;
            if (shorter)
                bytes.back() = static_cast<char>(stored.size());
            SetNullFlag(record, header, field.lengthBit, shorter);
            break;
        }
        case 'N':
        case 'F': {
            const auto number = NumberOf(value);
            if (!number)
                Refuse(err::kDataTypeMismatch, place, "is not a number");
            bytes = DigitsOf(*number, field, place);
            break;
        }
        case 'D': {
            const base::DateTime date = DateOf(value, place);
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", date.year, date.month, date.day);
            bytes = buffer;
            break;
        }
        case 'T': {
            const base::DateTime date = DateOf(value, place);
            const long julian =
                base::DayNumberOf(date.year, date.month, date.day) + kJulianDayOfSerialZero;
            const long milliseconds = ((date.hour * 60L + date.minute) * 60L + date.second) * 1000L;
            WriteLe(bytes, 0, static_cast<std::uint32_t>(julian), 4);
            WriteLe(bytes, 4, static_cast<std::uint32_t>(milliseconds), 4);
            break;
        }
        case 'L': {
            const auto number = NumberOf(value);
            if (!number)
                Refuse(err::kDataTypeMismatch, place, "is not True or False");
            bytes[0] = *number != 0 ? 'T' : 'F';
            break;
        }
        case 'I': {
            const auto number = NumberOf(value);
            if (!number)
                Refuse(err::kDataTypeMismatch, place, "is not a number");
            const double rounded = std::nearbyint(*number);
            if (rounded < std::numeric_limits<std::int32_t>::min() ||
                rounded > std::numeric_limits<std::int32_t>::max())
                Refuse(err::kNumericOverflow, place, "is out of the range of a Long");
            WriteLe(bytes, 0, static_cast<std::uint32_t>(static_cast<std::int32_t>(rounded)), 4);
            break;
        }
        case 'B': {
            const auto number = NumberOf(value);
            if (!number)
                Refuse(err::kDataTypeMismatch, place, "is not a number");
            WriteLe(bytes, 0, BitsOfDouble(*number), 8);
            break;
        }
        case 'Y': {
            const auto number = NumberOf(value);
            if (!number)
                Refuse(err::kDataTypeMismatch, place, "is not a number");
            const double scaled = std::nearbyint(*number * 10000.0);
            if (std::fabs(scaled) >= 9.2e18)
                Refuse(err::kNumericOverflow, place, "is out of the range of a Currency");
            WriteLe(bytes, 0, static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled)), 8);
            break;
        }
        default:
            throw EngineError(err::kNotSupported, "The field '" + field.name + "' of the table '" +
                                                      table + "' has the type '" +
                                                      std::string(1, field.type) +
                                                      "', which this program cannot write.");
    }
    record.replace(field.offset, field.length, bytes);
}

std::optional<std::uint32_t> MemoBlockOf(std::string_view record, const FieldDescriptor& field) {
    const auto bytes = record.substr(field.offset, field.length);
    if (field.length == 4) {
        const std::uint32_t block = ReadLe(bytes, 0, 4);
        return block == 0 ? std::nullopt : std::optional(block);
    }
    const std::string text(Trimmed(bytes));
    if (text.empty())
        return std::nullopt;
    std::uint64_t block = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || block > std::numeric_limits<std::uint32_t>::max() / 10)
            return std::nullopt;
        block = block * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (block == 0 || block > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(block);
}

void PutMemoBlock(std::string& record, const FieldDescriptor& field,
                  std::optional<std::uint32_t> block) {
    std::string bytes(field.length, field.length == 4 ? '\0' : ' ');
    if (block && field.length == 4) {
        WriteLe(bytes, 0, *block, 4);
    } else if (block) {
        const std::string digits = std::to_string(*block);
        if (digits.size() <= bytes.size())
            bytes.replace(bytes.size() - digits.size(), digits.size(), digits);
    }
    record.replace(field.offset, field.length, bytes);
}

std::string BlankRecord(const TableHeader& header) {
    std::string record(header.recordLength, ' ');
    for (const auto& field : header.fields) {
        if (static_cast<int>(&field - header.fields.data()) == header.nullFlagsField) {
            record.replace(field.offset, field.length, field.length, '\0');
            continue;
        }
        PutBlank(record, header, field);
    }
    for (const auto& field : header.fields)
        SetNullFlag(record, header, field.nullBit, true);
    return record;
}

}  // namespace tessel::db::dbf
