// Field types between Jet and SQLite: the Jet SQL type names with their codes and sizes, the
// declared type that SQLite keeps for each code, and the code and size read back from a
// declared type when no metadata describes a column (files made by other SQLite tools).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::db::jetsql {

struct JetType {
    int code = 0;
    long size = 0;
    bool autoIncrement = false;
};

// A Jet SQL type name (any case, "TEXT", "COUNTER", ...) with its size argument when the
// statement gave one; nothing when the name is unknown.
std::optional<JetType> JetTypeFromName(std::string_view name, std::optional<long> size);

// The declared type written into SQLite's schema for a Jet type. `arguments` is the text inside
// the parentheses of DECIMAL/NUMERIC ("10,2"), empty otherwise.
std::string PhysicalType(const JetType& type, const std::string& arguments);

// Code and size of a column from its declared type alone.
JetType DeriveFromDeclared(std::string_view declared);

// The size the classic engine reports for a code (0 for variable sizes without a limit).
long DefaultSize(int code);

// Field attribute bits (fixed or variable, updatable, auto-increment) for a code.
std::uint32_t FieldAttributes(int code, bool autoIncrement);

}  // namespace tessel::db::jetsql
