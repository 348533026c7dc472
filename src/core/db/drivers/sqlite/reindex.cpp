#include "core/db/drivers/sqlite/reindex.h"

#include "core/db/drivers/sqlite/ddl_indexes.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {

bool ReindexJetIndex(Handle& handle, const std::vector<jetsql::Token>& tokens) {
    if (tokens.size() != 2 || !tokens[0].IsWord("REINDEX") || !tokens[1].IsName())
        return false;
    const std::string name = tokens[1].Value();
    // A table, an index by its stored name or a collation: SQLite's own reading.
    auto known = handle.Prepare(
        "SELECT 1 FROM sqlite_schema WHERE type IN ('table', 'index') AND name = ?1 "
        "COLLATE NOCASE UNION ALL SELECT 1 FROM pragma_collation_list WHERE name = ?1 "
        "COLLATE NOCASE");
    known.Bind(1, name);
    if (known.Step())
        return false;
    SchemaReader reader(handle);
    bool rebuilt = false;
    for (const auto& found : IndexesNamed(reader, name)) {
        if (!found.index.physicalName)
            continue;  // the table's row number has no index to rebuild
        handle.Exec("REINDEX " + jetsql::QuoteName(*found.index.physicalName));
        rebuilt = true;
    }
    return rebuilt;
}

}  // namespace tessel::db::sqlite
