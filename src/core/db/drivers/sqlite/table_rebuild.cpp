#include "core/db/drivers/sqlite/table_rebuild.h"

#include <algorithm>
#include <cctype>

#include "core/db/drivers/sqlite/ddl_support.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/jetsql/ddl_parser.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::Constraint;
using jetsql::ConstraintKind;
using jetsql::QuoteName;

std::string Named(const Constraint& constraint) {
    return constraint.name.empty() ? std::string()
                                   : "CONSTRAINT " + QuoteName(constraint.name) + " ";
}

std::string References(const Constraint& constraint) {
    std::string text = "REFERENCES " + QuoteName(constraint.referencedTable);
    if (!constraint.referencedColumns.empty()) {
        text += " (";
        for (std::size_t i = 0; i < constraint.referencedColumns.size(); ++i) {
            text += (i == 0 ? "" : ", ") + QuoteName(constraint.referencedColumns[i]);
        }
        text += ")";
    }
    return text + constraint.actions;
}

// NOCASE as every tool writes it; any other name quoted.
std::string CollationName(const std::string& name) {
    const bool plain = std::all_of(
        name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) != 0 || c == '_'; });
    return plain && std::isdigit(static_cast<unsigned char>(name.front())) == 0 ? name
                                                                                : QuoteName(name);
}

}  // namespace

std::string InlineColumnSql(const jetsql::ColumnDefinition& column) {
    std::string text = QuoteName(column.name);
    const std::string& type = column.writtenType.empty() ? column.declaredType : column.writtenType;
    if (!type.empty())
        text.append(1, ' ').append(type);
    if (!column.collation.empty())
        text += " COLLATE " + CollationName(column.collation);
    for (const auto& constraint : column.constraints) {
        text.append(1, ' ').append(Named(constraint));
        switch (constraint.kind) {
            case ConstraintKind::PrimaryKey:
                text += "PRIMARY KEY";
                if (!constraint.columns.empty() && constraint.columns[0].descending)
                    text += " DESC";
                if (column.type.autoIncrement)
                    text += " AUTOINCREMENT";
                break;
            case ConstraintKind::Unique:
                text += "UNIQUE";
                break;
            case ConstraintKind::ForeignKey:
                text += References(constraint);
                break;
            case ConstraintKind::Check:
                text += "CHECK (" + constraint.check + ")";
                break;
            case ConstraintKind::NotNull:
                text += "NOT NULL";
                break;
        }
    }
    if (column.notNull)
        text += " NOT NULL";
    if (column.defaultValue)
        text += " DEFAULT " + *column.defaultValue;
    return text;
}

namespace {

std::string ConstraintText(const Constraint& constraint) {
    std::string text = Named(constraint);
    switch (constraint.kind) {
        case ConstraintKind::PrimaryKey:
            return text + "PRIMARY KEY " + IndexColumnList(constraint.columns);
        case ConstraintKind::Unique:
            return text + "UNIQUE " + IndexColumnList(constraint.columns);
        case ConstraintKind::Check:
            return text + "CHECK (" + constraint.check + ")";
        case ConstraintKind::ForeignKey: {
            std::vector<jetsql::IndexColumn> plain;
            for (const auto& column : constraint.columns)
                plain.push_back({column.name, false});
            return text + "FOREIGN KEY " + IndexColumnList(plain) + " " + References(constraint);
        }
        case ConstraintKind::NotNull:
            break;
    }
    return {};
}

void Swap(Handle& handle, const RebuildPlan& plan) {
    std::vector<std::string> saved;
    {
        auto statement = handle.Prepare(
            "SELECT sql FROM sqlite_master WHERE tbl_name = ?1 COLLATE NOCASE AND type IN "
            "('index', 'trigger') AND sql IS NOT NULL ORDER BY rowid");
        statement.Bind(1, plan.table);
        while (statement.Step())
            saved.push_back(statement.Text(0));
    }
    long long sequence = -1;
    try {
        auto statement = handle.Prepare("SELECT seq FROM sqlite_sequence WHERE name = ?1");
        statement.Bind(1, plan.table);
        if (statement.Step())
            sequence = statement.Integer(0);
    } catch (const EngineError&) {
        // No counters in this file.
    }
    const std::string temporary = FreeSchemaName(handle, "tessel_rebuild_" + plan.table);
    handle.Exec(InlineTableSql(temporary, plan.definition));
    std::string into;
    std::string from;
    for (const auto& [target, source] : plan.copies) {
        into += (into.empty() ? "" : ", ") + QuoteName(target);
        from += (from.empty() ? "" : ", ") + QuoteName(source);
    }
    if (!into.empty()) {
        handle.Exec("INSERT INTO " + QuoteName(temporary) + " (" + into + ") SELECT " + from +
                    " FROM " + QuoteName(plan.table));
    }
    handle.Exec("DROP TABLE " + QuoteName(plan.table));
    handle.Exec("ALTER TABLE " + QuoteName(temporary) + " RENAME TO " + QuoteName(plan.table));
    for (const auto& sql : saved)
        handle.Exec(sql);
    if (sequence >= 0) {
        auto statement =
            handle.Prepare("UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
        statement.Bind(1, plan.table).Bind(2, sequence).Run();
    }
    auto check = handle.Prepare("SELECT \"table\" FROM pragma_foreign_key_check(?1) LIMIT 1");
    check.Bind(1, plan.table);
    if (check.Step()) {
        throw EngineError(err::kRelatedRecordRequired,
                          "The change to table '" + plan.table +
                              "' was not made: some of its rows have no related record in the "
                              "table '" +
                              check.Text(0) + "'.");
    }
}

}  // namespace

jetsql::CreateTable StoredDefinition(Handle& handle, const std::string& table) {
    SchemaReader reader(handle);
    const auto found = reader.RequireTable(table);
    auto definition = jetsql::ParseStoredTable(found.sql);
    if (!definition) {
        throw EngineError(err::kNotSupported,
                          "The definition of table '" + found.name +
                              "' uses SQLite features this engine cannot rewrite, so this change "
                              "is not supported for it.");
    }
    return std::move(*definition);
}

std::string InlineTableSql(const std::string& name, const jetsql::CreateTable& definition) {
    std::string sql = "CREATE TABLE " + QuoteName(name) + " (";
    bool first = true;
    for (const auto& column : definition.columns) {
        sql += (first ? "" : ", ") + InlineColumnSql(column);
        first = false;
    }
    for (const auto& constraint : definition.constraints) {
        const std::string text = ConstraintText(constraint);
        if (!text.empty())
            sql += ", " + text;
    }
    return sql + ")";
}

void RebuildTable(Handle& handle, const RebuildPlan& plan, const std::function<void()>& inside) {
    if (handle.InTransaction()) {
        throw EngineError(err::kNotSupported,
                          "The table '" + plan.table + "' cannot be rebuilt inside a transaction.");
    }
    handle.Exec("PRAGMA foreign_keys = OFF");
    try {
        handle.InTransaction([&] {
            handle.Exec("PRAGMA legacy_alter_table = ON");
            Swap(handle, plan);
            inside();
        });
    } catch (...) {
        handle.Exec("PRAGMA legacy_alter_table = OFF");
        handle.Exec("PRAGMA foreign_keys = ON");
        throw;
    }
    handle.Exec("PRAGMA legacy_alter_table = OFF");
    handle.Exec("PRAGMA foreign_keys = ON");
}

}  // namespace tessel::db::sqlite
