#include "core/db/drivers/sqlite/metadata_store.h"

#include <array>
#include <vector>

#include "core/db/sqlite/error_map.h"

namespace tessel::db::sqlite {
namespace {

struct MetaTable {
    const char* name;
    std::vector<const char*> columns;
};

const std::array<MetaTable, 3> kMetaTables = {{
    {kMetaColumns, {"TableName", "ColumnName", "DeclaredType", "TypeCode", "Size", "Attributes"}},
    {kMetaIndexes,
     {"TableName", "IndexName", "PhysicalName", "IsPrimary", "IsUnique", "IgnoreNulls", "IsForeign",
      "IsRequired", "ReferencedTable", "ReferencedFields"}},
    {kMetaProperties, {"ObjectKind", "ObjectName", "PropertyName", "TypeCode", "Value"}},
}};

// Whether the table has exactly the columns the program made it with, in that order.
bool HasColumns(Handle& handle, const MetaTable& table) {
    auto info = handle.Prepare("SELECT name FROM pragma_table_info(?1)");
    info.Bind(1, table.name);
    for (const char* column : table.columns) {
        if (!info.Step() || !SameName(info.Text(0), column))
            return false;
    }
    return !info.Step();
}

constexpr const char* kCreateTables =
    "CREATE TABLE IF NOT EXISTS MSysColumns ("
    " TableName TEXT NOT NULL COLLATE NOCASE, ColumnName TEXT NOT NULL COLLATE NOCASE,"
    " DeclaredType TEXT NOT NULL, TypeCode INTEGER NOT NULL, Size INTEGER NOT NULL,"
    " Attributes INTEGER NOT NULL, PRIMARY KEY (TableName, ColumnName));"
    "CREATE TABLE IF NOT EXISTS MSysIndexes ("
    " TableName TEXT NOT NULL COLLATE NOCASE, IndexName TEXT NOT NULL COLLATE NOCASE,"
    " PhysicalName TEXT, IsPrimary BOOLEAN NOT NULL, IsUnique BOOLEAN NOT NULL,"
    " IgnoreNulls BOOLEAN NOT NULL, IsForeign BOOLEAN NOT NULL, IsRequired BOOLEAN NOT NULL,"
    " ReferencedTable TEXT, ReferencedFields TEXT, PRIMARY KEY (TableName, IndexName));"
    "CREATE TABLE IF NOT EXISTS MSysProperties ("
    " ObjectKind TEXT NOT NULL, ObjectName TEXT NOT NULL COLLATE NOCASE,"
    " PropertyName TEXT NOT NULL COLLATE NOCASE, TypeCode INTEGER NOT NULL, Value,"
    " PRIMARY KEY (ObjectKind, ObjectName, PropertyName));";

void BindValue(Statement& statement, int index, const Value& value) {
    if (const auto* flag = std::get_if<bool>(&value)) {
        statement.Bind(index, static_cast<long long>(*flag ? 1 : 0));
    } else if (const auto* number = std::get_if<std::int64_t>(&value)) {
        statement.Bind(index, static_cast<long long>(*number));
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_bind_double(statement.Raw(), index, *real);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        statement.Bind(index, *text);
    } else {
        statement.BindNull(index);
    }
}

Value ReadValue(const Statement& statement, int column, int type) {
    sqlite3_stmt* raw = statement.Raw();
    switch (sqlite3_column_type(raw, column)) {
        case SQLITE_NULL:
            return std::monostate{};
        case SQLITE_INTEGER:
            if (type == ftype::kBoolean)
                return sqlite3_column_int64(raw, column) != 0;
            return static_cast<std::int64_t>(sqlite3_column_int64(raw, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(raw, column);
        default:
            return statement.Text(column);
    }
}

std::string PropertyKey(const std::string& kind, const std::string& object,
                        const std::string& name) {
    return kind + '\n' + object + '\n' + name;
}

std::string FieldObject(const std::string& table, const std::string& field) {
    return table + "." + field;
}

}  // namespace

// Another tool may have changed or replaced the tables: reading or writing them then would
// fail with a message about a field or table that the person's statement never named.
bool MetadataStore::Exists() {
    SchemaCatalog& catalog = handle_.Catalog();
    if (catalog.Checked(handle_, "metadata tables"))
        return true;
    bool all = true;
    for (const MetaTable& table : kMetaTables) {
        if (catalog.Find(handle_, table.name, "table") != nullptr) {
            if (!HasColumns(handle_, table))
                throw DamagedDatabase(handle_.Path(), std::string("its table ") + table.name +
                                                          " is not as this program made it");
            continue;
        }
        all = false;
        for (const char* type : {"view", "index"}) {
            if (catalog.Find(handle_, table.name, type) != nullptr)
                throw DamagedDatabase(handle_.Path(), std::string("its table ") + table.name +
                                                          " was replaced by a " + type);
        }
    }
    if (all)
        catalog.MarkChecked("metadata tables");
    return all;
}

void MetadataStore::EnsureTables() {
    if (!Exists())
        handle_.Exec(kCreateTables);
}

std::vector<ColumnMeta> MetadataStore::Columns(const std::string& table) {
    std::vector<ColumnMeta> columns;
    if (!Exists())
        return columns;
    auto statement = handle_.Prepare(
        "SELECT ColumnName, DeclaredType, TypeCode, Size, Attributes FROM MSysColumns "
        "WHERE TableName = ?1 ORDER BY rowid");
    statement.Bind(1, table);
    while (statement.Step()) {
        columns.push_back({statement.Text(0), statement.Text(1),
                           static_cast<int>(statement.Integer(2)),
                           static_cast<long>(statement.Integer(3)),
                           static_cast<std::uint32_t>(statement.Integer(4))});
    }
    return columns;
}

void MetadataStore::PutColumn(const std::string& table, const ColumnMeta& column) {
    PutColumns(table, {column});
}

void MetadataStore::PutColumns(const std::string& table, const std::vector<ColumnMeta>& columns) {
    if (columns.empty())
        return;
    EnsureTables();
    std::string sql =
        "INSERT OR REPLACE INTO MSysColumns (TableName, ColumnName, DeclaredType, TypeCode, "
        "Size, Attributes) VALUES ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string first = std::to_string(i * 5 + 2);
        sql += (i == 0 ? "(?1, ?" : ", (?1, ?") + first;
        for (std::size_t place = i * 5 + 3; place <= i * 5 + 6; ++place)
            sql += ", ?" + std::to_string(place);
        sql += ")";
    }
    auto statement = handle_.Prepare(sql);
    statement.Bind(1, table);
    int place = 2;
    for (const auto& column : columns) {
        statement.Bind(place, column.column).Bind(place + 1, column.declaredType);
        statement.Bind(place + 2, static_cast<long long>(column.code))
            .Bind(place + 3, static_cast<long long>(column.size))
            .Bind(place + 4, static_cast<long long>(column.attributes));
        place += 5;
    }
    statement.Run();
}

void MetadataStore::DeleteColumn(const std::string& table, const std::string& column) {
    if (!Exists())
        return;
    auto statement =
        handle_.Prepare("DELETE FROM MSysColumns WHERE TableName = ?1 AND ColumnName = ?2");
    statement.Bind(1, table).Bind(2, column).Run();
    auto properties = handle_.Prepare(
        "DELETE FROM MSysProperties WHERE ObjectKind = 'Field' AND ObjectName = ?1");
    properties.Bind(1, FieldObject(table, column)).Run();
}

std::vector<IndexMeta> MetadataStore::Indexes(const std::string& table) {
    std::vector<IndexMeta> indexes;
    if (!Exists())
        return indexes;
    auto statement = handle_.Prepare(
        "SELECT IndexName, PhysicalName, IsPrimary, IsUnique, IgnoreNulls, IsForeign, "
        "IsRequired, ReferencedTable, ReferencedFields FROM MSysIndexes WHERE TableName = ?1 "
        "ORDER BY rowid");
    statement.Bind(1, table);
    while (statement.Step()) {
        IndexMeta index;
        index.name = statement.Text(0);
        if (!statement.IsNull(1))
            index.physicalName = statement.Text(1);
        index.primary = statement.Integer(2) != 0;
        index.unique = statement.Integer(3) != 0;
        index.ignoreNulls = statement.Integer(4) != 0;
        index.foreign = statement.Integer(5) != 0;
        index.required = statement.Integer(6) != 0;
        index.referencedTable = statement.Text(7);
        index.referencedFields = statement.Text(8);
        indexes.push_back(std::move(index));
    }
    return indexes;
}

void MetadataStore::PutIndex(const std::string& table, const IndexMeta& index) {
    EnsureTables();
    auto statement = handle_.Prepare(
        "INSERT OR REPLACE INTO MSysIndexes (TableName, IndexName, PhysicalName, IsPrimary, "
        "IsUnique, IgnoreNulls, IsForeign, IsRequired, ReferencedTable, ReferencedFields) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    statement.Bind(1, table).Bind(2, index.name);
    if (index.physicalName) {
        statement.Bind(3, *index.physicalName);
    } else {
        statement.BindNull(3);
    }
    statement.Bind(4, static_cast<long long>(index.primary))
        .Bind(5, static_cast<long long>(index.unique))
        .Bind(6, static_cast<long long>(index.ignoreNulls))
        .Bind(7, static_cast<long long>(index.foreign))
        .Bind(8, static_cast<long long>(index.required))
        .Bind(9, index.referencedTable)
        .Bind(10, index.referencedFields);
    statement.Run();
}

void MetadataStore::DeleteIndex(const std::string& table, const std::string& name) {
    if (!Exists())
        return;
    auto statement =
        handle_.Prepare("DELETE FROM MSysIndexes WHERE TableName = ?1 AND IndexName = ?2");
    statement.Bind(1, table).Bind(2, name).Run();
}

// Every statement reopens the database, and an open reads the password digest and the
// version: kept until the metadata changes, they cost no read of the file.
std::optional<Property> MetadataStore::GetProperty(const std::string& kind,
                                                   const std::string& object,
                                                   const std::string& name) {
    auto& memo = handle_.PropertyMemo();
    std::string key = PropertyKey(kind, object, name);
    if (const auto known = memo.find(key); known != memo.end())
        return known->second;
    std::optional<Property> found = ReadProperty(kind, object, name);
    // Reading may have started a new generation (a first look at the schema): keep the value
    // only in the memo of the generation it was read in.
    handle_.PropertyMemo().emplace(std::move(key), found);
    return found;
}

std::optional<Property> MetadataStore::ReadProperty(const std::string& kind,
                                                    const std::string& object,
                                                    const std::string& name) {
    if (!Exists())
        return std::nullopt;
    auto statement = handle_.Prepare(
        "SELECT PropertyName, TypeCode, Value FROM MSysProperties WHERE ObjectKind = ?1 AND "
        "ObjectName = ?2 AND PropertyName = ?3");
    statement.Bind(1, kind).Bind(2, object).Bind(3, name);
    if (!statement.Step())
        return std::nullopt;
    Property property;
    property.name = statement.Text(0);
    property.type = static_cast<int>(statement.Integer(1));
    property.value = ReadValue(statement, 2, property.type);
    return property;
}

std::vector<Property> MetadataStore::Properties(const std::string& kind,
                                                const std::string& object) {
    std::vector<Property> properties;
    if (!Exists())
        return properties;
    auto statement = handle_.Prepare(
        "SELECT PropertyName, TypeCode, Value FROM MSysProperties WHERE ObjectKind = ?1 AND "
        "ObjectName = ?2 ORDER BY rowid");
    statement.Bind(1, kind).Bind(2, object);
    while (statement.Step()) {
        Property property;
        property.name = statement.Text(0);
        property.type = static_cast<int>(statement.Integer(1));
        property.value = ReadValue(statement, 2, property.type);
        properties.push_back(std::move(property));
    }
    return properties;
}

void MetadataStore::PutProperty(const std::string& kind, const std::string& object,
                                const Property& property) {
    EnsureTables();
    const Handle::PropertyWriteScope writing(handle_);
    // An update keeps the row (and so the property's place in the collection).
    auto statement = handle_.Prepare(
        "INSERT INTO MSysProperties (ObjectKind, ObjectName, PropertyName, TypeCode, Value) "
        "VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT (ObjectKind, ObjectName, PropertyName) DO "
        "UPDATE SET TypeCode = excluded.TypeCode, Value = excluded.Value");
    statement.Bind(1, kind).Bind(2, object).Bind(3, property.name);
    statement.Bind(4, static_cast<long long>(property.type));
    BindValue(statement, 5, property.value);
    statement.Run();
    handle_.ForgetProperty(PropertyKey(kind, object, property.name));
}

void MetadataStore::DeleteProperty(const std::string& kind, const std::string& object,
                                   const std::string& name) {
    if (!Exists())
        return;
    auto statement = handle_.Prepare(
        "DELETE FROM MSysProperties WHERE ObjectKind = ?1 AND ObjectName = ?2 AND PropertyName = "
        "?3");
    const Handle::PropertyWriteScope writing(handle_);
    statement.Bind(1, kind).Bind(2, object).Bind(3, name).Run();
    handle_.ForgetProperty(PropertyKey(kind, object, name));
}

void MetadataStore::RenameTable(const std::string& from, const std::string& to) {
    if (!Exists())
        return;
    for (const char* sql : {"UPDATE MSysColumns SET TableName = ?2 WHERE TableName = ?1",
                            "UPDATE MSysIndexes SET TableName = ?2 WHERE TableName = ?1",
                            "UPDATE MSysIndexes SET ReferencedTable = ?2 WHERE "
                            "ReferencedTable = ?1",
                            "UPDATE MSysProperties SET ObjectName = ?2 WHERE ObjectKind = "
                            "'Table' AND ObjectName = ?1",
                            "UPDATE MSysProperties SET ObjectName = ?2 || substr(ObjectName, "
                            "length(?1) + 1) WHERE ObjectKind = 'Field' AND "
                            "substr(ObjectName, 1, length(?1) + 1) = ?1 || '.' COLLATE NOCASE"}) {
        auto statement = handle_.Prepare(sql);
        statement.Bind(1, from).Bind(2, to).Run();
    }
}

void MetadataStore::RenameColumn(const std::string& table, const std::string& from,
                                 const std::string& to) {
    if (!Exists())
        return;
    auto columns = handle_.Prepare(
        "UPDATE MSysColumns SET ColumnName = ?3 WHERE TableName = ?1 AND ColumnName = ?2");
    columns.Bind(1, table).Bind(2, from).Bind(3, to).Run();
    auto properties = handle_.Prepare(
        "UPDATE MSysProperties SET ObjectName = ?2 WHERE ObjectKind = 'Field' AND "
        "ObjectName = ?1");
    properties.Bind(1, FieldObject(table, from)).Bind(2, FieldObject(table, to)).Run();
}

void MetadataStore::RenameIndex(const std::string& table, const std::string& from,
                                const std::string& to) {
    EnsureTables();
    auto statement = handle_.Prepare(
        "UPDATE MSysIndexes SET IndexName = ?3 WHERE TableName = ?1 AND IndexName = ?2");
    statement.Bind(1, table).Bind(2, from).Bind(3, to).Run();
}

void MetadataStore::RenameQuery(const std::string& from, const std::string& to) {
    if (!Exists())
        return;
    auto statement = handle_.Prepare(
        "UPDATE MSysProperties SET ObjectName = ?2 WHERE ObjectKind = 'Query' AND "
        "ObjectName = ?1");
    statement.Bind(1, from).Bind(2, to).Run();
}

void MetadataStore::ForgetTable(const std::string& table) {
    if (!Exists())
        return;
    for (const char* sql : {"DELETE FROM MSysColumns WHERE TableName = ?1",
                            "DELETE FROM MSysIndexes WHERE TableName = ?1",
                            "DELETE FROM MSysProperties WHERE ObjectKind = 'Table' AND "
                            "ObjectName = ?1",
                            "DELETE FROM MSysProperties WHERE ObjectKind = 'Field' AND "
                            "substr(ObjectName, 1, length(?1) + 1) = ?1 || '.' COLLATE NOCASE"}) {
        auto statement = handle_.Prepare(sql);
        statement.Bind(1, table).Run();
    }
}

void MetadataStore::ForgetQuery(const std::string& query) {
    if (!Exists())
        return;
    auto statement = handle_.Prepare(
        "DELETE FROM MSysProperties WHERE ObjectKind = 'Query' AND ObjectName = ?1");
    statement.Bind(1, query).Run();
}

}  // namespace tessel::db::sqlite
