#include "core/db/drivers/sqlite/cursor.h"

#include <map>

#include "core/db/drivers/sqlite/metadata_store.h"

namespace tessel::db::sqlite {
namespace {

// Columns read straight from a table take the code and size that the metadata keeps for them,
// when their declared type is still the one the metadata describes.
void RefineFromMetadata(Statement& statement, std::vector<ColumnInfo>& columns) {
    MetadataStore store(statement.Owner());
    if (!store.Exists())
        return;
    sqlite3_stmt* raw = statement.Raw();
    std::map<std::string, std::vector<ColumnMeta>> metadata;  // read once per source table
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int index = static_cast<int>(i);
        const char* table = sqlite3_column_table_name(raw, index);
        const char* origin = sqlite3_column_origin_name(raw, index);
        const char* declared = sqlite3_column_decltype(raw, index);
        if (table == nullptr || origin == nullptr || declared == nullptr)
            continue;
        auto known = metadata.find(table);
        if (known == metadata.end())
            known = metadata.emplace(table, store.Columns(table)).first;
        for (const auto& meta : known->second) {
            if (SameName(meta.column, origin) && SameName(meta.declaredType, declared)) {
                columns[i].type = meta.code;
                columns[i].size = meta.size;
            }
        }
    }
}

}  // namespace

std::vector<ColumnInfo> DescribeColumns(Statement& statement, bool onRow) {
    auto columns = DescribeDeclaredColumns(statement, onRow);
    RefineFromMetadata(statement, columns);
    return columns;
}

std::unique_ptr<Cursor> RunStatement(Statement statement) {
    return StreamRows(std::move(statement), RefineFromMetadata);
}

}  // namespace tessel::db::sqlite
