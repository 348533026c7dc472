#include "core/db/drivers/sqlite/ddl_indexes.h"

#include "core/db/drivers/sqlite/ddl_support.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;

std::string NullTest(const std::vector<jetsql::IndexColumn>& columns, const char* test,
                     const char* joiner) {
    std::string text;
    for (const auto& column : columns) {
        if (!text.empty())
            text += joiner;
        text += QuoteName(column.name) + test;
    }
    return text;
}

void CheckIndexCanBeMade(Handle& handle, SchemaReader& reader, const std::string& table,
                         const IndexSpec& indexSpec) {
    for (const auto& existing : reader.Indexes(table)) {
        if (SameName(existing.info.name, indexSpec.name)) {
            throw EngineError(err::kIndexExists, "The table '" + table +
                                                     "' already has an index named '" +
                                                     existing.info.name + "'.");
        }
        if (indexSpec.primary && existing.info.primary) {
            throw EngineError(err::kPrimaryKeyExists, "The table '" + table +
                                                          "' already has a primary key ('" +
                                                          existing.info.name + "').");
        }
    }
    const auto columns = reader.Columns(table);
    for (const auto& wanted : indexSpec.columns) {
        bool found = false;
        for (const auto& column : columns)
            found = found || SameName(column.field.name, wanted.name);
        if (!found) {
            throw EngineError(err::kItemNotFound,
                              "The index '" + indexSpec.name + "' names the field '" + wanted.name +
                                  "', which the table '" + table + "' does not have.");
        }
    }
    if (indexSpec.required) {
        auto nulls = handle.Prepare("SELECT 1 FROM " + QuoteName(table) + " WHERE " +
                                    NullTest(indexSpec.columns, " IS NULL", " OR ") + " LIMIT 1");
        if (nulls.Step()) {
            throw EngineError(err::kNullInIndex,
                              "The index or primary key '" + indexSpec.name + "' of table '" +
                                  table +
                                  "' cannot be made: a field it covers holds Null in some rows.");
        }
    }
}

}  // namespace

IndexSpec SpecOf(const jetsql::CreateIndex& create) {
    IndexSpec indexSpec;
    indexSpec.name = create.name;
    indexSpec.columns = create.columns;
    indexSpec.primary = create.primary;
    indexSpec.unique = create.unique || create.primary;
    indexSpec.required = create.primary || create.disallowNull;
    indexSpec.ignoreNulls = create.ignoreNull && !indexSpec.required;
    return indexSpec;
}

void MakeIndex(Handle& handle, const std::string& table, const IndexSpec& indexSpec) {
    SchemaReader reader(handle);
    CheckIndexCanBeMade(handle, reader, table, indexSpec);
    const std::string physical = NewPhysicalIndexName(handle, table, indexSpec.name);
    std::string sql = std::string("CREATE ") + (indexSpec.unique ? "UNIQUE " : "") + "INDEX " +
                      QuoteName(physical) + " ON " + QuoteName(table) + " " +
                      IndexColumnList(indexSpec.columns);
    if (indexSpec.ignoreNulls)
        sql += " WHERE " + NullTest(indexSpec.columns, " IS NOT NULL", " AND ");
    handle.Exec(sql);
    IndexMeta meta;
    meta.name = indexSpec.name;
    meta.physicalName = physical;
    meta.primary = indexSpec.primary;
    meta.unique = indexSpec.unique;
    meta.ignoreNulls = indexSpec.ignoreNulls;
    meta.foreign = indexSpec.foreign;
    meta.required = indexSpec.required;
    meta.referencedTable = indexSpec.referencedTable;
    meta.referencedFields = indexSpec.referencedFields;
    MetadataStore(handle).PutIndex(table, meta);
}

IndexDetail FindIndex(SchemaReader& reader, const std::string& table, const std::string& name) {
    for (auto& detail : reader.Indexes(table)) {
        if (SameName(detail.info.name, name))
            return detail;
    }
    ThrowNotInCollection("the table '" + table + "' has no index named '" + name + "'");
}

std::vector<TableIndex> IndexesNamed(SchemaReader& reader, const std::string& name) {
    std::vector<TableIndex> found;
    for (const auto& table : reader.Objects("table")) {
        for (auto& detail : reader.Indexes(table.name)) {
            if (SameName(detail.info.name, name))
                found.push_back({table.name, std::move(detail)});
        }
    }
    return found;
}

void RemoveIndex(Handle& handle, const std::string& table, const IndexDetail& index) {
    if (!index.physicalName) {
        throw EngineError(err::kNotSupported,
                          "The primary key '" + index.info.name + "' of table '" + table +
                              "' is the table's row number and cannot be removed.");
    }
    // A unique index that other tables' foreign keys point at keeps their relationships.
    if (index.info.unique) {
        const auto mine = IndexFieldNames(index.info.fields);
        for (const auto& reference : ReferencesTo(handle, table)) {
            bool same = reference.to.size() == mine.size();
            for (std::size_t i = 0; same && i < mine.size(); ++i) {
                same = SameName(reference.to[i], mine[i]);
            }
            if (same) {
                throw EngineError(err::kInRelationship,
                                  "The index '" + index.info.name + "' of table '" + table +
                                      "' cannot be deleted: the table '" + reference.table +
                                      "' refers to it in a relationship.");
            }
        }
    }
    handle.Exec("DROP INDEX " + QuoteName(*index.physicalName));
    MetadataStore(handle).DeleteIndex(table, index.info.name);
}

}  // namespace tessel::db::sqlite
