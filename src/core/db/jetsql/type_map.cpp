#include "core/db/jetsql/type_map.h"

#include <array>
#include <cctype>

#include "core/db/engine.h"
#include "core/db/names.h"
#include "core/db/trim.h"

namespace tessel::db::jetsql {
namespace {

struct NameEntry {
    const char* name;
    int code;
    bool autoIncrement;
};

// Every Jet SQL type name with its code.
constexpr std::array<NameEntry, 45> kJetNames{{
    {"BIT", ftype::kBoolean, false},
    {"BOOLEAN", ftype::kBoolean, false},
    {"YESNO", ftype::kBoolean, false},
    {"LOGICAL", ftype::kBoolean, false},
    {"LOGICAL1", ftype::kBoolean, false},
    {"BYTE", ftype::kByte, false},
    {"TINYINT", ftype::kByte, false},
    {"INTEGER1", ftype::kByte, false},
    {"SHORT", ftype::kInteger, false},
    {"SMALLINT", ftype::kInteger, false},
    {"INTEGER2", ftype::kInteger, false},
    {"LONG", ftype::kLong, false},
    {"INT", ftype::kLong, false},
    {"INTEGER", ftype::kLong, false},
    {"INTEGER4", ftype::kLong, false},
    {"COUNTER", ftype::kLong, true},
    {"AUTOINCREMENT", ftype::kLong, true},
    {"CURRENCY", ftype::kCurrency, false},
    {"MONEY", ftype::kCurrency, false},
    {"SINGLE", ftype::kSingle, false},
    {"REAL", ftype::kSingle, false},
    {"FLOAT4", ftype::kSingle, false},
    {"IEEESINGLE", ftype::kSingle, false},
    {"DOUBLE", ftype::kDouble, false},
    {"FLOAT8", ftype::kDouble, false},
    {"IEEEDOUBLE", ftype::kDouble, false},
    {"NUMBER", ftype::kDouble, false},
    {"DATETIME", ftype::kDate, false},
    {"DATE", ftype::kDate, false},
    {"BINARY", ftype::kBinary, false},
    {"TEXT", ftype::kText, false},
    {"VARCHAR", ftype::kText, false},
    {"ALPHANUMERIC", ftype::kText, false},
    {"LONGBINARY", ftype::kLongBinary, false},
    {"OLEOBJECT", ftype::kLongBinary, false},
    {"IMAGE", ftype::kLongBinary, false},
    {"MEMO", ftype::kMemo, false},
    {"LONGTEXT", ftype::kMemo, false},
    {"LONGCHAR", ftype::kMemo, false},
    {"NOTE", ftype::kMemo, false},
    {"GUID", ftype::kGuid, false},
    {"UNIQUEIDENTIFIER", ftype::kGuid, false},
    {"BIGINT", ftype::kBigInt, false},
    {"VARBINARY", ftype::kVarBinary, false},
    {"CHAR", ftype::kChar, false},
}};

struct CodeEntry {
    const char* name;
    int code;
};

constexpr std::array<CodeEntry, 5> kMoreJetNames{{
    {"NUMERIC", ftype::kNumeric},
    {"DECIMAL", ftype::kDecimal},
    {"FLOAT", ftype::kFloat},
    {"TIME", ftype::kTime},
    {"TIMESTAMP", ftype::kTimeStamp},
}};

// Declared types as other SQLite tools write them, where they differ from the Jet meaning.
constexpr std::array<CodeEntry, 16> kSqliteNames{{
    {"", ftype::kLongBinary},
    {"TEXT", ftype::kMemo},
    {"CLOB", ftype::kMemo},
    {"REAL", ftype::kDouble},
    {"FLOAT", ftype::kDouble},
    {"DOUBLE PRECISION", ftype::kDouble},
    {"NUMERIC", ftype::kDecimal},
    {"BOOL", ftype::kBoolean},
    {"INT2", ftype::kInteger},
    {"INT8", ftype::kBigInt},
    {"MEDIUMINT", ftype::kLong},
    {"NVARCHAR", ftype::kText},
    {"NCHAR", ftype::kChar},
    {"CHARACTER", ftype::kChar},
    {"VARYING CHARACTER", ftype::kText},
    {"UNSIGNED BIG INT", ftype::kBigInt},
}};

bool HasSizeArgument(int code) {
    return code == ftype::kText || code == ftype::kBinary || code == ftype::kVarBinary ||
           code == ftype::kChar;
}

std::optional<int> LookUp(const std::string& upper) {
    for (const auto& entry : kJetNames) {
        if (upper == entry.name)
            return entry.code;
    }
    for (const auto& entry : kMoreJetNames) {
        if (upper == entry.name)
            return entry.code;
    }
    return std::nullopt;
}

// SQLite's own affinity rules, for declared types no table knows.
int CodeByAffinity(const std::string& upper, bool sized) {
    if (upper.find("INT") != std::string::npos)
        return ftype::kLong;
    if (upper.find("CHAR") != std::string::npos || upper.find("CLOB") != std::string::npos ||
        upper.find("TEXT") != std::string::npos) {
        return sized ? ftype::kText : ftype::kMemo;
    }
    if (upper.find("BLOB") != std::string::npos)
        return ftype::kLongBinary;
    if (upper.find("REAL") != std::string::npos || upper.find("FLOA") != std::string::npos ||
        upper.find("DOUB") != std::string::npos) {
        return ftype::kDouble;
    }
    return ftype::kDecimal;
}

}  // namespace

long DefaultSize(int code) {
    switch (code) {
        case ftype::kBoolean:
        case ftype::kByte:
            return 1;
        case ftype::kInteger:
            return 2;
        case ftype::kLong:
        case ftype::kSingle:
            return 4;
        case ftype::kCurrency:
        case ftype::kDouble:
        case ftype::kDate:
        case ftype::kBigInt:
        case ftype::kFloat:
        case ftype::kTime:
        case ftype::kTimeStamp:
            return 8;
        case ftype::kGuid:
        case ftype::kNumeric:
        case ftype::kDecimal:
            return 16;
        case ftype::kText:
        case ftype::kBinary:
        case ftype::kVarBinary:
        case ftype::kChar:
            return 255;
        default:
            return 0;
    }
}

std::optional<JetType> JetTypeFromName(std::string_view name, std::optional<long> size) {
    const std::string upper = UpperAscii(name);
    for (const auto& entry : kJetNames) {
        if (upper == entry.name) {
            JetType type{entry.code, DefaultSize(entry.code), entry.autoIncrement};
            if (size && HasSizeArgument(entry.code))
                type.size = *size;
            return type;
        }
    }
    if (auto code = LookUp(upper))
        return JetType{*code, DefaultSize(*code), false};
    return std::nullopt;
}

std::string PhysicalType(const JetType& type, const std::string& arguments) {
    const std::string sized = std::string(1, '(').append(std::to_string(type.size)).append(1, ')');
    const std::string args =
        arguments.empty() ? std::string() : std::string(1, '(').append(arguments).append(1, ')');
    switch (type.code) {
        case ftype::kBoolean:
            return "BOOLEAN";
        case ftype::kByte:
            return "TINYINT";
        case ftype::kInteger:
            return "SMALLINT";
        case ftype::kLong:
            return "INTEGER";
        case ftype::kCurrency:
            return "CURRENCY";
        case ftype::kSingle:
            return "FLOAT4";
        case ftype::kDouble:
            return "DOUBLE";
        case ftype::kDate:
            return "DATETIME";
        case ftype::kBinary:
            return "BINARY" + sized;
        case ftype::kText:
            return "VARCHAR" + sized;
        case ftype::kLongBinary:
            return "BLOB";
        case ftype::kMemo:
            return "TEXT";
        case ftype::kGuid:
            return "GUID";
        case ftype::kBigInt:
            return "BIGINT";
        case ftype::kVarBinary:
            return "VARBINARY" + sized;
        case ftype::kChar:
            return "CHAR" + sized;
        case ftype::kNumeric:
            return "NUMERIC" + args;
        case ftype::kDecimal:
            return "DECIMAL" + args;
        case ftype::kFloat:
            return "FLOAT";
        case ftype::kTime:
            return "TIME";
        case ftype::kTimeStamp:
            return "TIMESTAMP";
        default:
            return "BLOB";
    }
}

JetType DeriveFromDeclared(std::string_view declared) {
    const std::string text = TrimSpace(declared);
    const auto open = text.find('(');
    const std::string base = UpperAscii(TrimSpace(text.substr(0, open)));
    std::optional<long> size;
    if (open != std::string::npos) {
        try {
            const long value = std::stol(text.substr(open + 1));
            if (value > 0)
                size = value;
        } catch (const std::exception&) {
        }
    }
    int code = 0;
    for (const auto& entry : kSqliteNames) {
        if (base == entry.name)
            code = entry.code;
    }
    if (code == 0) {
        if (auto known = LookUp(base))
            code = *known;
    }
    if (code == 0)
        code = CodeByAffinity(base, size.has_value());
    if (code == ftype::kMemo && size)
        code = ftype::kText;
    JetType type{code, DefaultSize(code), false};
    if (size && HasSizeArgument(code))
        type.size = *size;
    return type;
}

std::uint32_t FieldAttributes(int code, bool autoIncrement) {
    const bool variable = code == ftype::kText || code == ftype::kMemo || code == ftype::kBinary ||
                          code == ftype::kVarBinary || code == ftype::kLongBinary;
    std::uint32_t bits = attr::kUpdatableField;
    bits |= variable ? attr::kVariableField : attr::kFixedField;
    if (autoIncrement)
        bits |= attr::kAutoIncrField;
    return bits;
}

}  // namespace tessel::db::jetsql
