#include "core/db/drivers/sqlite/object_properties.h"

#include <sys/stat.h>

#include <ctime>

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/jetsql/quote.h"
#include "core/db/jetsql/tokenizer.h"

namespace tessel::db::sqlite {
namespace {

constexpr std::int64_t kGeneralCollation = 1033;

Property Make(const char* name, int type, Value value) {
    return Property{name, type, std::move(value), true};
}

// The file's modification time, for tables made before the metadata kept their dates.
std::string FileTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    std::tm local{};
    localtime_r(&info.st_mtime, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

Value Stored(MetadataStore& store, const char* kind, const std::string& object, const char* name,
             Value fallback) {
    if (auto property = store.GetProperty(kind, object, name))
        return property->value;
    return fallback;
}

}  // namespace

std::string DatabaseVersion(Handle& handle) {
    MetadataStore store(handle);
    const auto stored = store.GetProperty(objkind::kDatabase, "", "Version");
    if (stored) {
        if (const auto* text = std::get_if<std::string>(&stored->value))
            return *text;
    }
    return "3.0";
}

std::vector<Property> DatabaseProperties(Handle& handle, const DatabaseState& state) {
    std::vector<Property> properties{
        Make("Name", ftype::kText, state.name),
        Make("Connect", ftype::kText, state.connect),
        Make("Transactions", ftype::kBoolean, true),
        Make("Updatable", ftype::kBoolean, !handle.ReadOnly()),
        Make("CollatingOrder", ftype::kLong, kGeneralCollation),
        Make("QueryTimeout", ftype::kInteger, static_cast<std::int64_t>(state.queryTimeout)),
        Make("Version", ftype::kText, DatabaseVersion(handle)),
        Make("RecordsAffected", ftype::kLong, std::int64_t{0}),
    };
    MetadataStore store(handle);
    for (auto& property : store.Properties(objkind::kDatabase, "")) {
        if (!SameName(property.name, "Version") && !SameName(property.name, "Password"))
            properties.push_back(std::move(property));
    }
    return properties;
}

std::vector<Property> TableProperties(Handle& handle, const std::string& table) {
    SchemaReader reader(handle);
    const std::string name = reader.RequireTable(table).name;
    MetadataStore store(handle);
    auto count = handle.Prepare("SELECT count(*) FROM " + jetsql::QuoteName(name));
    count.Step();
    const std::string fileTime = FileTime(handle.Path());
    const bool system = IsSystemTableName(name);
    std::vector<Property> properties{
        Make("Name", ftype::kText, name),
        Make("Updatable", ftype::kBoolean, !handle.ReadOnly() && !system),
        Make("DateCreated", ftype::kDate,
             Stored(store, objkind::kTable, name, "DateCreated", fileTime)),
        Make("LastUpdated", ftype::kDate,
             Stored(store, objkind::kTable, name, "LastUpdated", fileTime)),
        Make("Connect", ftype::kText, std::string()),
        Make("Attributes", ftype::kLong,
             static_cast<std::int64_t>(system ? attr::kSystemObject : 0)),
        Make("SourceTableName", ftype::kText, std::string()),
        Make("ValidationRule", ftype::kText,
             Stored(store, objkind::kTable, name, "ValidationRule", std::string())),
        Make("ValidationText", ftype::kText,
             Stored(store, objkind::kTable, name, "ValidationText", std::string())),
        Make("RecordCount", ftype::kLong, static_cast<std::int64_t>(count.Integer(0))),
    };
    return properties;
}

std::vector<Property> FieldProperties(Handle& handle, const std::string& table,
                                      const std::string& field) {
    SchemaReader reader(handle);
    const auto columns = reader.Columns(table);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto& column = columns[i];
        if (!SameName(column.field.name, field))
            continue;
        MetadataStore store(handle);
        const std::string object =
            reader.Find(table, "table") ? table + "." + column.field.name : std::string();
        const int type = column.field.type;
        const bool textual = type == ftype::kText || type == ftype::kMemo || type == ftype::kChar;
        Property value = Make("Value", type, std::monostate{});
        value.readable = false;  // a field of a table definition has no current value
        return {
            value,
            Make("Attributes", ftype::kLong, static_cast<std::int64_t>(column.field.attributes)),
            Make("CollatingOrder", ftype::kLong, kGeneralCollation),
            Make("Type", ftype::kInteger, static_cast<std::int64_t>(type)),
            Make("Name", ftype::kText, column.field.name),
            Make("OrdinalPosition", ftype::kInteger, static_cast<std::int64_t>(i)),
            Make("Size", ftype::kLong, static_cast<std::int64_t>(column.field.size)),
            Make("SourceField", ftype::kText, column.field.name),
            Make("SourceTable", ftype::kText, table),
            Make("DataUpdatable", ftype::kBoolean, false),
            Make("DefaultValue", ftype::kText, column.defaultValue.value_or("")),
            Make("ValidationRule", ftype::kText,
                 Stored(store, objkind::kField, object, "ValidationRule", std::string())),
            Make("ValidationText", ftype::kText,
                 Stored(store, objkind::kField, object, "ValidationText", std::string())),
            Make("Required", ftype::kBoolean, column.field.required),
            Make("AllowZeroLength", ftype::kBoolean, textual),
        };
    }
    ThrowNotInCollection("the table '" + table + "' has no field named '" + field + "'");
}

std::vector<Property> IndexProperties(Handle& handle, const std::string& table,
                                      const std::string& index) {
    SchemaReader reader(handle);
    for (const auto& detail : reader.Indexes(table)) {
        const auto& info = detail.info;
        if (!SameName(info.name, index))
            continue;
        return {
            Make("Name", ftype::kText, info.name),
            Make("Foreign", ftype::kBoolean, info.foreign),
            Make("IgnoreNulls", ftype::kBoolean, info.ignoreNulls),
            Make("Primary", ftype::kBoolean, info.primary),
            Make("Required", ftype::kBoolean, info.required),
            Make("Unique", ftype::kBoolean, info.unique),
            Make("Clustered", ftype::kBoolean, false),
            Make("Fields", ftype::kText, info.fields),
        };
    }
    ThrowNotInCollection("the table '" + table + "' has no index named '" + index + "'");
}

std::vector<Property> QueryProperties(Handle& handle, const std::string& query) {
    SchemaReader reader(handle);
    const auto found = reader.RequireQuery(query);
    return {
        Make("Name", ftype::kText, found.name),
        Make("SQL", ftype::kMemo, ViewSelectText(found.sql)),
        Make("Type", ftype::kInteger, std::int64_t{0}),
        Make("Updatable", ftype::kBoolean, !handle.ReadOnly()),
        Make("ReturnsRecords", ftype::kBoolean, true),
        Make("Connect", ftype::kText, std::string()),
    };
}

std::string ViewSelectText(const std::string& createView) {
    const auto tokens = jetsql::Tokenize(createView);
    for (const auto& token : tokens) {
        if (token.IsWord("AS")) {
            const auto start = createView.find_first_not_of(" \t\r\n", token.end);
            return start == std::string::npos ? std::string() : createView.substr(start);
        }
    }
    return createView;
}

}  // namespace tessel::db::sqlite
