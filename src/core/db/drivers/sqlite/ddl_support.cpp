#include "core/db/drivers/sqlite/ddl_support.h"

#include <ctime>

#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {

void RequireWritable(Handle& handle) {
    if (handle.ReadOnly()) {
        throw EngineError(err::kReadOnly, "The database '" + handle.Path() +
                                              "' is read-only, so its structure cannot be "
                                              "changed.");
    }
}

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void StampTable(MetadataStore& store, const std::string& table, bool created) {
    const std::string now = LocalTimeText();
    if (created)
        store.PutProperty(objkind::kTable, table, {"DateCreated", ftype::kDate, now});
    store.PutProperty(objkind::kTable, table, {"LastUpdated", ftype::kDate, now});
}

std::string FreeSchemaName(Handle& handle, const std::string& base) {
    std::string candidate = base;
    for (int number = 2;; ++number) {
        if (handle.Catalog().Named(handle, candidate) == nullptr)
            return candidate;
        candidate = base + "_" + std::to_string(number);
    }
}

std::string NewPhysicalIndexName(Handle& handle, const std::string& table,
                                 const std::string& jetName) {
    std::string base = table + "_" + jetName;
    if (SameName(base.substr(0, 7), "sqlite_"))
        base = "t_" + base;
    return FreeSchemaName(handle, base);
}

std::string FieldsText(const std::vector<jetsql::IndexColumn>& columns) {
    std::string text;
    for (const auto& column : columns) {
        if (!text.empty())
            text += ';';
        text += column.descending ? '-' : '+';
        text += column.name;
    }
    return text;
}

std::vector<std::string> IndexFieldNames(const std::string& fields) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < fields.size()) {
        auto end = fields.find(';', start);
        if (end == std::string::npos)
            end = fields.size();
        std::string part = fields.substr(start, end - start);
        if (!part.empty() && (part[0] == '+' || part[0] == '-'))
            part.erase(0, 1);
        if (!part.empty())
            names.push_back(part);
        start = end + 1;
    }
    return names;
}

std::string IndexColumnList(const std::vector<jetsql::IndexColumn>& columns) {
    std::string text = "(";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += jetsql::QuoteName(columns[i].name);
        if (columns[i].descending)
            text += " DESC";
    }
    return text + ")";
}

std::vector<Reference> ReferencesTo(Handle& handle, const std::string& table) {
    std::vector<Reference> references;
    auto statement = handle.Prepare(
        "SELECT m.name, f.id, f.\"table\", f.\"from\", f.\"to\" FROM sqlite_master m, "
        "pragma_foreign_key_list(m.name) f WHERE m.type = 'table' AND f.\"table\" = ?1 COLLATE "
        "NOCASE ORDER BY m.name, f.id, f.seq");
    statement.Bind(1, table);
    long lastId = -1;
    std::string lastTable;
    while (statement.Step()) {
        const std::string child = statement.Text(0);
        const long id = static_cast<long>(statement.Integer(1));
        if (references.empty() || id != lastId || child != lastTable) {
            references.push_back({child, statement.Text(2), {}, {}});
            lastId = id;
            lastTable = child;
        }
        references.back().from.push_back(statement.Text(3));
        references.back().to.push_back(statement.Text(4));
    }
    return references;
}

SchemaObject RequireDdlTable(SchemaReader& reader, const std::string& table) {
    const auto found = reader.Find(table, "table");
    if (!found) {
        throw EngineError(err::kTableNotFound, "The engine cannot find the table '" + table +
                                                   "'. Make sure it exists and that its name is "
                                                   "spelled correctly.");
    }
    return *found;
}

}  // namespace tessel::db::sqlite
