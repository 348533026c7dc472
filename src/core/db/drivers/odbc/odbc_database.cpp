#include "core/db/drivers/odbc/odbc_database.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <map>

#include "core/base/text.h"
#include "core/db/connection_text.h"
#include "core/db/drivers/odbc/odbc_cursor.h"
#include "core/db/names.h"

namespace tessel::db::odbc {

namespace {

using CatalogueCall = std::function<SQLRETURN(SQLHSTMT)>;

std::string Text(const ValueView& value) {
    switch (value.kind) {
        case ValueView::Kind::Null:
            return {};
        case ValueView::Kind::Integer:
            return std::to_string(value.integer);
        case ValueView::Kind::Real:
            return std::to_string(value.real);
        default:
            return std::string(value.bytes);
    }
}

long Number(const ValueView& value) {
    if (value.kind == ValueView::Kind::Integer)
        return static_cast<long>(value.integer);
    if (value.kind == ValueView::Kind::Real)
        return static_cast<long>(value.real);
    if (value.kind == ValueView::Kind::Text) {
        try {
            return std::stol(std::string(value.bytes));
        } catch (const std::exception&) {
            return 0;
        }
    }
    return 0;
}

// Runs a catalogue function and hands each of its rows to `visit`. A function the driver
// refuses gives no rows: what it would have told is left out, the rest is still read.
void ForEachCatalogueRow(const std::shared_ptr<Link>& link, const CatalogueCall& call,
                         const std::function<void(const Cursor&)>& visit) {
    std::unique_ptr<OdbcCursor> cursor;
    try {
        Handle statement = link->NewStatement();
        if (!Succeeded(call(static_cast<SQLHSTMT>(statement.get()))))
            return;
        cursor = std::make_unique<OdbcCursor>(link, std::move(statement));
        while (cursor->Next())
            visit(*cursor);
    } catch (const EngineError& error) {
        if (error.Number() == err::kQueryCancelled)
            throw;
    }
}

SQLCHAR* Chars(std::string& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

Property TextProperty(const std::string& name, const std::string& value) {
    return Property{name, ftype::kText, Value{value}, true};
}

EngineError CannotRename(const std::string& what) {
    return EngineError(err::kNotSupported,
                       "The " + what +
                           " of an ODBC data source cannot be renamed here: run the data "
                           "source's own ALTER statement as a script statement instead.");
}

// Drivers whose SQLStatistics is known to crash the program instead of failing: their indexes
// are not read (their primary and foreign keys still are).
bool StatisticsCrash(const std::string& driverName) {
    return base::LowerAscii(driverName).find("mdbodbc") != std::string::npos;
}

}  // namespace

OdbcDatabase::OdbcDatabase(std::shared_ptr<Link> link) : link_(std::move(link)) {
    name_ = ConnectValue(link_->Completed(), "DSN").value_or("");
    if (name_.empty())
        name_ = WithoutPasswords(link_->Completed());
}

Link& OdbcDatabase::Live() const {
    if (!link_) {
        throw EngineError(err::kObjectClosed,
                          "The connection to the data source '" + name_ + "' was closed.");
    }
    return *link_;
}

std::string OdbcDatabase::Name() const {
    return name_;
}

std::string OdbcDatabase::Version() {
    return Live().Info(SQL_DBMS_VER);
}

std::string OdbcDatabase::DatabaseFile() const {
    const std::string& completed = Live().Completed();
    if (auto file = ConnectValue(completed, "DBQ"); file && !file->empty())
        return *file;
    const std::string dbms = base::LowerAscii(Live().Info(SQL_DBMS_NAME));
    if (dbms.find("sqlite") != std::string::npos)
        return ConnectValue(completed, "Database").value_or("");
    return {};
}

std::vector<std::string> OdbcDatabase::ObjectNames(const char* type) {
    Live();
    std::vector<std::string> names;
    std::string types = type;
    ForEachCatalogueRow(
        link_,
        [&](SQLHSTMT statement) {
            return SQLTables(statement, nullptr, 0, nullptr, 0, nullptr, 0, Chars(types), SQL_NTS);
        },
        [&](const Cursor& row) { names.push_back(Text(row.Get(2))); });
    return names;
}

std::vector<TableInfo> OdbcDatabase::TableDefs() {
    std::vector<TableInfo> tables;
    for (auto& name : ObjectNames("TABLE"))
        tables.push_back(TableInfo{std::move(name), 0, {}});
    return tables;
}

std::vector<std::string> OdbcDatabase::QueryDefs() {
    return ObjectNames("VIEW");
}

std::vector<FieldInfo> OdbcDatabase::Fields(const std::string& table) {
    Live();
    std::vector<FieldInfo> fields;
    std::string name = table;
    ForEachCatalogueRow(
        link_,
        [&](SQLHSTMT statement) {
            return SQLColumns(statement, nullptr, 0, nullptr, 0, Chars(name), SQL_NTS, nullptr, 0);
        },
        [&](const Cursor& row) {
            // Another schema's table of the same name answers too; the first one counts.
            if (Text(row.Get(2)) != table)
                return;
            FieldInfo field;
            field.name = Text(row.Get(3));
            field.type = FieldTypeOf(static_cast<SQLSMALLINT>(Number(row.Get(4))));
            field.size = Number(row.Get(6));
            field.required = Number(row.Get(10)) == SQL_NO_NULLS;
            const bool known = std::any_of(fields.begin(), fields.end(), [&](const FieldInfo& f) {
                return f.name == field.name;
            });
            if (!known)
                fields.push_back(std::move(field));
        });
    const auto named = [&](const char* type) {
        const auto names = ObjectNames(type);
        return std::find(names.begin(), names.end(), table) != names.end();
    };
    if (fields.empty() && !named("TABLE") && !named("VIEW")) {
        throw EngineError(err::kItemNotFound,
                          "The data source '" + name_ + "' has no table named '" + table + "'.");
    }
    return fields;
}

std::vector<IndexInfo> OdbcDatabase::Indexes(const std::string& table) {
    Live();
    std::string name = table;
    std::vector<IndexInfo> indexes;

    // The primary key, its columns in key order.
    std::map<long, std::string> keyColumns;
    std::string keyName;
    ForEachCatalogueRow(
        link_,
        [&](SQLHSTMT statement) {
            return SQLPrimaryKeys(statement, nullptr, 0, nullptr, 0, Chars(name), SQL_NTS);
        },
        [&](const Cursor& row) {
            keyColumns[Number(row.Get(4))] = Text(row.Get(3));
            keyName = Text(row.Get(5));
        });
    if (!keyColumns.empty()) {
        IndexInfo primary;
        primary.name = keyName.empty() ? "PrimaryKey" : keyName;
        for (const auto& [sequence, column] : keyColumns)
            primary.fields += (primary.fields.empty() ? "+" : ";+") + column;
        primary.primary = primary.unique = primary.required = true;
        indexes.push_back(std::move(primary));
    }

    if (!StatisticsCrash(Live().Info(SQL_DRIVER_NAME))) {
        std::map<std::string, std::map<long, std::string>> columns;
        std::map<std::string, bool> unique;
        ForEachCatalogueRow(
            link_,
            [&](SQLHSTMT statement) {
                return SQLStatistics(statement, nullptr, 0, nullptr, 0, Chars(name), SQL_NTS,
                                     SQL_INDEX_ALL, SQL_QUICK);
            },
            [&](const Cursor& row) {
                if (Number(row.Get(6)) == SQL_TABLE_STAT || Text(row.Get(5)).empty())
                    return;
                const std::string index = Text(row.Get(5));
                const std::string sign = Text(row.Get(9)) == "D" ? "-" : "+";
                columns[index][Number(row.Get(7))] = sign + Text(row.Get(8));
                unique[index] = Number(row.Get(3)) == SQL_FALSE;
            });
        for (const auto& [index, parts] : columns) {
            if (!keyColumns.empty() && index == indexes.front().name)
                continue;  // the primary key's own index
            IndexInfo info;
            info.name = index;
            for (const auto& [position, column] : parts)
                info.fields += (info.fields.empty() ? "" : ";") + column;
            info.unique = unique[index];
            indexes.push_back(std::move(info));
        }
    }

    // Foreign keys: one index each, on the referencing columns.
    std::map<std::string, std::map<long, std::string>> foreign;
    ForEachCatalogueRow(
        link_,
        [&](SQLHSTMT statement) {
            return SQLForeignKeys(statement, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0,
                                  nullptr, 0, Chars(name), SQL_NTS);
        },
        [&](const Cursor& row) {
            std::string key = Text(row.Get(11));
            if (key.empty())
                key = table + "_" + Text(row.Get(2));
            foreign[key][Number(row.Get(8))] = "+" + Text(row.Get(7));
        });
    for (const auto& [key, parts] : foreign) {
        IndexInfo info;
        info.name = key;
        for (const auto& [sequence, column] : parts)
            info.fields += (info.fields.empty() ? "" : ";") + column;
        info.foreign = true;
        indexes.push_back(std::move(info));
    }
    return indexes;
}

std::vector<Property> OdbcDatabase::Properties() {
    Link& link = Live();
    return {
        TextProperty("Name", name_), TextProperty("Connect", Connect()),
        TextProperty("Version", link.Info(SQL_DBMS_VER)),
        TextProperty("DBMS Name", link.Info(SQL_DBMS_NAME)),
        Property{"QueryTimeout", ftype::kInteger, Value{std::int64_t{link.queryTimeout}}, true}};
}

std::vector<Property> OdbcDatabase::TableProperties(const std::string& table) {
    return {TextProperty("Name", table)};
}

std::vector<Property> OdbcDatabase::QueryProperties(const std::string& query) {
    return {TextProperty("Name", query)};
}

std::vector<Property> OdbcDatabase::FieldProperties(const std::string& table,
                                                    const std::string& field) {
    for (const auto& info : Fields(table)) {
        if (info.name == field) {
            return {TextProperty("Name", info.name),
                    Property{"Type", ftype::kInteger, Value{std::int64_t{info.type}}, true},
                    Property{"Size", ftype::kLong, Value{std::int64_t{info.size}}, true},
                    Property{"Required", ftype::kBoolean, Value{info.required}, true}};
        }
    }
    throw EngineError(err::kItemNotFound,
                      "The table '" + table + "' has no field named '" + field + "'.");
}

std::vector<Property> OdbcDatabase::IndexProperties(const std::string& table,
                                                    const std::string& index) {
    for (const auto& info : Indexes(table)) {
        if (info.name == index) {
            return {TextProperty("Name", info.name), TextProperty("Fields", info.fields),
                    Property{"Primary", ftype::kBoolean, Value{info.primary}, true},
                    Property{"Unique", ftype::kBoolean, Value{info.unique}, true},
                    Property{"Foreign", ftype::kBoolean, Value{info.foreign}, true}};
        }
    }
    throw EngineError(err::kItemNotFound,
                      "The table '" + table + "' has no index named '" + index + "'.");
}

void OdbcDatabase::CreateProperty(const std::string& name, int /*type*/, const Value& /*value*/) {
    throw EngineError(err::kNotSupported, "The property '" + name +
                                              "' cannot be kept by the ODBC data source '" + name_ +
                                              "': data sources keep no properties.");
}

void OdbcDatabase::RenameTable(const std::string&, const std::string&) {
    throw CannotRename("tables");
}
void OdbcDatabase::RenameQuery(const std::string&, const std::string&) {
    throw CannotRename("views");
}
void OdbcDatabase::RenameField(const std::string&, const std::string&, const std::string&) {
    throw CannotRename("columns");
}
void OdbcDatabase::RenameIndex(const std::string&, const std::string&, const std::string&) {
    throw CannotRename("indexes");
}

}  // namespace tessel::db::odbc
