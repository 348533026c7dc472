// The Jet SQL type names that an ANSI export renames, in the order the export reads them, each
// with its ANSI name. The export's list of mapped types is made from this table.
#pragma once

#include <array>

namespace tessel::db::jetsql {

struct AnsiTypeName {
    const char* jet;
    const char* ansi;
};

inline constexpr std::array<AnsiTypeName, 9> kAnsiTypeNames{{
    {"BINARY", "BIT"},
    {"DATETIME", "DATE"},
    {"DOUBLE", "DOUBLE PRECISION"},
    {"FLOAT", "FLOAT"},
    {"INTEGER", "SMALLINT"},
    {"LONG", "INTEGER"},
    {"SINGLE", "REAL"},
    {"TEXT", "CHARACTER"},
    {"TIMESTAMP", "TIMESTAMP"},
}};

}  // namespace tessel::db::jetsql
