#include "core/db/vtab/value_bridge.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/db/jetsql/type_map.h"
#include "core/db/names.h"
#include "core/base/text.h"

namespace tessel::db::vtab {
namespace {

enum class Affinity { Integer, Text, Blob, Real, Numeric };

// SQLite's rules for the affinity of a declared type.
Affinity AffinityOf(const std::string& declared) {
    const std::string type = base::UpperAscii(declared);
    const auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
    if (has("INT"))
        return Affinity::Integer;
    if (has("CHAR") || has("CLOB") || has("TEXT"))
        return Affinity::Text;
    if (has("BLOB") || type.empty())
        return Affinity::Blob;
    if (has("REAL") || has("FLOA") || has("DOUB"))
        return Affinity::Real;
    return Affinity::Numeric;
}

bool IsBinary(int fieldType) {
    return fieldType == ftype::kBinary || fieldType == ftype::kVarBinary ||
           fieldType == ftype::kLongBinary;
}

// A text that reads wholly as a number, as SQLite's numeric affinity takes it.
Value NumberFromText(const std::string& text) {
    const std::string trimmed = base::Trim(text, base::kWhiteSpace);
    if (trimmed.empty())
        return text;
    char* stop = nullptr;
    errno = 0;
    const long long integer = std::strtoll(trimmed.c_str(), &stop, 10);
    if (errno == 0 && *stop == '\0')
        return static_cast<std::int64_t>(integer);
    if (trimmed.find_first_of("xXnN") != std::string::npos)  // no hex, nan or inf
        return text;
    const double real = std::strtod(trimmed.c_str(), &stop);
    if (*stop != '\0')
        return text;
    return real;
}

std::string TextOfReal(double real) {
    char buffer[64];
    sqlite3_snprintf(sizeof buffer, buffer, "%!.15g", real);
    return buffer;
}

// A real that holds an integer exactly is stored as one, as SQLite does for numeric columns.
Value Narrowed(double real) {
    if (std::floor(real) == real && std::fabs(real) < 9.2e18)
        return static_cast<std::int64_t>(real);
    return real;
}

}  // namespace

Value FromSqlite(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_value_int64(value));
        case SQLITE_FLOAT:
            return sqlite3_value_double(value);
        case SQLITE_TEXT:
            return std::string(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                               static_cast<std::size_t>(sqlite3_value_bytes(value)));
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
            return std::string(bytes ? bytes : "",
                               static_cast<std::size_t>(sqlite3_value_bytes(value)));
        }
        default:
            return std::monostate{};
    }
}

void ResultToSqlite(sqlite3_context* context, const Value& value, int fieldType) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        sqlite3_result_int64(context, *flag ? 1 : 0);
    } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        sqlite3_result_int64(context, *integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_result_double(context, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        if (IsBinary(fieldType)) {
            sqlite3_result_blob64(context, text->data(), text->size(), SQLITE_TRANSIENT);
        } else {
            sqlite3_result_text64(context, text->data(), text->size(), SQLITE_TRANSIENT,
                                  SQLITE_UTF8);
        }
    } else {
        sqlite3_result_null(context);
    }
}

std::string DeclaredType(const FieldInfo& field) {
    jetsql::JetType type;
    type.code = field.type;
    type.size = field.size;
    type.autoIncrement = (field.attributes & attr::kAutoIncrField) != 0;
    return jetsql::PhysicalType(type, "");
}

Value ForField(Value value, const FieldInfo& field) {
    if (const auto* flag = std::get_if<bool>(&value))
        value = static_cast<std::int64_t>(*flag ? 1 : 0);
    if (IsBinary(field.type))
        return value;
    switch (AffinityOf(DeclaredType(field))) {
        case Affinity::Text:
            if (const auto* integer = std::get_if<std::int64_t>(&value))
                return std::to_string(*integer);
            if (const auto* real = std::get_if<double>(&value))
                return TextOfReal(*real);
            return value;
        case Affinity::Real:
            if (const auto* text = std::get_if<std::string>(&value))
                value = NumberFromText(*text);
            if (const auto* integer = std::get_if<std::int64_t>(&value))
                return static_cast<double>(*integer);
            return value;
        case Affinity::Integer:
        case Affinity::Numeric:
            if (const auto* text = std::get_if<std::string>(&value))
                value = NumberFromText(*text);
            if (const auto* real = std::get_if<double>(&value))
                return Narrowed(*real);
            return value;
        case Affinity::Blob:
            return value;
    }
    return value;
}

}  // namespace tessel::db::vtab
