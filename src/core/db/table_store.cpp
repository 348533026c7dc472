#include "core/db/table_store.h"

namespace tessel::db {
namespace {

[[noreturn]] void Refuse(const std::string& what, const std::string& table,
                         const std::string& instead) {
    throw EngineError(err::kNotSupported, what + " of the table '" + table +
                                              "' is not supported: this database's driver "
                                              "cannot do it. " +
                                              instead);
}

}  // namespace

void TableStore::RenameTable(const std::string& from, const std::string& /*to*/) {
    throw EngineError(err::kNotSupported, "The table '" + from +
                                              "' cannot be renamed: this database's driver "
                                              "cannot rename tables. Copy its rows into a new "
                                              "table and drop the old one instead.");
}

std::optional<EngineError> TableStore::WhyNotListed(const std::string& /*table*/) {
    return std::nullopt;
}

void TableStore::AddColumn(const std::string& table, const FieldInfo& field) {
    Refuse("Adding the field '" + field.name + "'", table,
           "Create a new table with the wanted fields, copy the rows with INSERT INTO ... "
           "SELECT and drop the old table.");
}

void TableStore::DropColumn(const std::string& table, const std::string& column) {
    Refuse("Dropping the field '" + column + "'", table,
           "Create a new table with the wanted fields, copy the rows with INSERT INTO ... "
           "SELECT and drop the old table.");
}

void TableStore::CreateIndex(const std::string& table, const IndexInfo& index) {
    Refuse("Creating the index '" + index.name + "'", table,
           "Declare the table's PRIMARY KEY and UNIQUE constraints in its CREATE TABLE.");
}

void TableStore::DropIndex(const std::string& table, const std::string& index) {
    Refuse("Dropping the index '" + index + "'", table,
           "Create the table again without the index.");
}

}  // namespace tessel::db
