#include "core/db/drivers/sqlite/schema_reader.h"

#include <algorithm>

#include "core/db/jetsql/type_map.h"

namespace tessel::db::sqlite {

std::vector<SchemaObject> SchemaReader::Objects(const char* type) {
    std::vector<SchemaObject> objects;
    for (const CatalogEntry* entry : handle_.Catalog().OfType(handle_, type))
        objects.push_back({entry->name, entry->type, entry->sql});
    return objects;
}

std::optional<SchemaObject> SchemaReader::Find(const std::string& name, const char* type) {
    const CatalogEntry* entry = handle_.Catalog().Find(handle_, name, type);
    if (entry == nullptr)
        return std::nullopt;
    return SchemaObject{entry->name, entry->type, entry->sql};
}

void ThrowNotInCollection(const std::string& what) {
    throw EngineError(err::kItemNotFound, "Item not found in this collection: " + what + ".");
}

SchemaObject SchemaReader::RequireTable(const std::string& name) {
    auto found = Find(name, "table");
    if (!found)
        ThrowNotInCollection("there is no table named '" + name + "'");
    return *found;
}

SchemaObject SchemaReader::RequireQuery(const std::string& name) {
    auto found = Find(name, "view");
    if (!found)
        ThrowNotInCollection("there is no query named '" + name + "'");
    return *found;
}

std::string SchemaReader::RequireTableOrView(const std::string& table) {
    auto found = Find(table, "table");
    if (!found)
        found = Find(table, "view");
    if (!found)
        ThrowNotInCollection("there is no table named '" + table + "'");
    return found->name;
}

std::vector<ColumnDetail> SchemaReader::Columns(const std::string& table) {
    const std::string name = RequireTableOrView(table);
    const auto metadata = store_.Columns(name);
    std::vector<ColumnDetail> columns;
    auto statement = handle_.Prepare(
        "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)");
    statement.Bind(1, name);
    while (statement.Step()) {
        ColumnDetail detail;
        detail.field.name = statement.Text(0);
        detail.declaredType = statement.Text(1);
        detail.field.required = statement.Integer(2) != 0;
        if (!statement.IsNull(3))
            detail.defaultValue = statement.Text(3);
        detail.keyPosition = static_cast<int>(statement.Integer(4));
        const auto meta = std::find_if(metadata.begin(), metadata.end(), [&](const auto& m) {
            return SameName(m.column, detail.field.name) &&
                   SameName(m.declaredType, detail.declaredType);
        });
        if (meta != metadata.end()) {
            detail.field.type = meta->code;
            detail.field.size = meta->size;
            detail.field.attributes = meta->attributes;
        } else {
            const auto derived = jetsql::DeriveFromDeclared(detail.declaredType);
            detail.field.type = derived.code;
            detail.field.size = derived.size;
            detail.field.attributes = jetsql::FieldAttributes(derived.code, false);
        }
        columns.push_back(std::move(detail));
    }
    return columns;
}

std::string SchemaReader::IndexFields(const std::string& physicalName) {
    std::string fields;
    auto statement = handle_.Prepare(
        "SELECT name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno");
    statement.Bind(1, physicalName);
    while (statement.Step()) {
        if (!fields.empty())
            fields += ';';
        fields += statement.Integer(1) != 0 ? '-' : '+';
        fields += statement.IsNull(0) ? std::string("<expression>") : statement.Text(0);
    }
    return fields;
}

std::string SchemaReader::RowidKey(const std::string& table) {
    // A single-field primary key without an index of origin "pk" is the rowid itself.
    auto statement = handle_.Prepare(
        "SELECT (SELECT count(*) FROM pragma_index_list(?1) WHERE origin = 'pk'), "
        "(SELECT count(*) FROM pragma_table_info(?1) WHERE pk > 0), "
        "(SELECT name FROM pragma_table_info(?1) WHERE pk > 0)");
    statement.Bind(1, table);
    if (!statement.Step() || statement.Integer(0) != 0 || statement.Integer(1) != 1)
        return {};
    return statement.Text(2);
}

std::vector<IndexDetail> SchemaReader::Indexes(const std::string& table) {
    const std::string name = RequireTableOrView(table);
    struct Physical {
        std::string name;
        bool unique;
        std::string origin;
        bool partial;
    };
    std::vector<Physical> physical;
    {
        auto statement = handle_.Prepare(
            "SELECT name, \"unique\", origin, partial FROM pragma_index_list(?1) "
            "ORDER BY seq DESC");
        statement.Bind(1, name);
        while (statement.Step()) {
            physical.push_back({statement.Text(0), statement.Integer(1) != 0, statement.Text(2),
                                statement.Integer(3) != 0});
        }
        // In order of creation; automatic indexes (not in the schema table) come first.
        auto createdAt = [&](const Physical& p) {
            const CatalogEntry* entry = handle_.Catalog().Find(handle_, p.name, "index");
            return entry == nullptr ? 0LL : entry->rowid;
        };
        std::stable_sort(
            physical.begin(), physical.end(),
            [&](const Physical& a, const Physical& b) { return createdAt(a) < createdAt(b); });
    }
    const bool hasPkIndex = std::any_of(physical.begin(), physical.end(),
                                        [](const Physical& p) { return p.origin == "pk"; });
    const std::string rowidKey = hasPkIndex ? std::string() : RowidKey(name);

    std::vector<IndexDetail> indexes;
    std::vector<bool> claimed(physical.size(), false);
    bool rowidClaimed = false;
    for (const auto& meta : store_.Indexes(name)) {
        IndexDetail detail;
        detail.described = true;
        detail.info.name = meta.name;
        detail.info.primary = meta.primary;
        detail.info.unique = meta.unique;
        detail.info.ignoreNulls = meta.ignoreNulls;
        detail.info.foreign = meta.foreign;
        detail.info.required = meta.required;
        if (meta.physicalName) {
            const auto it = std::find_if(physical.begin(), physical.end(), [&](const auto& p) {
                return SameName(p.name, *meta.physicalName);
            });
            if (it == physical.end())
                continue;  // dropped by another tool: stale
            claimed[static_cast<std::size_t>(it - physical.begin())] = true;
            detail.physicalName = it->name;
            detail.info.fields = IndexFields(it->name);
        } else {
            if (rowidKey.empty() || rowidClaimed)
                continue;
            rowidClaimed = true;
            detail.info.fields = "+" + rowidKey;
        }
        indexes.push_back(std::move(detail));
    }
    auto nameTaken = [&](const std::string& candidate) {
        return std::any_of(indexes.begin(), indexes.end(),
                           [&](const auto& d) { return SameName(d.info.name, candidate); });
    };
    if (!rowidKey.empty() && !rowidClaimed) {
        IndexDetail detail;
        detail.info.name = nameTaken("PrimaryKey") ? "PrimaryKey_rowid" : "PrimaryKey";
        detail.info.fields = "+" + rowidKey;
        detail.info.primary = detail.info.unique = detail.info.required = true;
        indexes.insert(indexes.begin(), std::move(detail));
    }
    for (std::size_t i = 0; i < physical.size(); ++i) {
        if (claimed[i])
            continue;
        const auto& p = physical[i];
        IndexDetail detail;
        detail.physicalName = p.name;
        detail.info.primary = p.origin == "pk";
        detail.info.name = detail.info.primary && !nameTaken("PrimaryKey") ? "PrimaryKey" : p.name;
        detail.info.unique = p.unique;
        detail.info.ignoreNulls = p.partial;
        detail.info.required = detail.info.primary;
        detail.info.fields = IndexFields(p.name);
        indexes.push_back(std::move(detail));
    }
    return indexes;
}

}  // namespace tessel::db::sqlite
