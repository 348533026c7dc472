// The property collections of a SQLite database and of its tables, fields, indexes and
// queries, in the order the classic engine lists them, followed by user-defined properties.
#pragma once

#include <string>
#include <vector>

#include "core/db/engine.h"
#include "core/db/sqlite/handle.h"

namespace tessel::db::sqlite {

struct DatabaseState {
    std::string name;
    std::string connect;
    int queryTimeout = 60;
};

std::string DatabaseVersion(Handle& handle);

std::vector<Property> DatabaseProperties(Handle& handle, const DatabaseState& state);
std::vector<Property> TableProperties(Handle& handle, const std::string& table);
std::vector<Property> FieldProperties(Handle& handle, const std::string& table,
                                      const std::string& field);
std::vector<Property> IndexProperties(Handle& handle, const std::string& table,
                                      const std::string& index);
std::vector<Property> QueryProperties(Handle& handle, const std::string& query);

// The text after "AS" of a CREATE VIEW statement.
std::string ViewSelectText(const std::string& createView);

}  // namespace tessel::db::sqlite
