// Stored queries of a Jet/ACE file: their SQL rebuilt from the rows of the system table
// MSysQueries (type, flags, tables and aliases, joins, columns, criteria, grouping, ordering,
// parameters), or taken as stored for unions, pass-through and data-definition queries.
#pragma once

#include <memory>
#include <string>

#include "core/db/drivers/jet/jet_file.h"

namespace tessel::db::jet {

struct StoredQuery {
    std::string sql;
    int type = 0;  // DAO's query type: 0 select, 16 crosstab, 32 delete, 48 update, ...
    bool returnsRecords = true;
    std::string connect;  // pass-through queries: their ODBC connect text
};

StoredQuery ReadQuery(const std::shared_ptr<JetFile>& file, std::int64_t objectId);

}  // namespace tessel::db::jet
