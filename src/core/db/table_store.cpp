#include "core/db/table_store.h"

namespace tessel::db {

void TableStore::RenameTable(const std::string& from, const std::string& /*to*/) {
    throw EngineError(err::kNotSupported, "The table '" + from +
                                              "' cannot be renamed: this database's driver "
                                              "cannot rename tables. Copy its rows into a new "
                                              "table and drop the old one instead.");
}

}  // namespace tessel::db
