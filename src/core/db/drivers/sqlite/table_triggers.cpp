#include "core/db/drivers/sqlite/table_triggers.h"

#include <vector>

#include "core/db/drivers/sqlite/ddl_support.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/schema_reader.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;
using jetsql::QuoteText;

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    for (const auto& candidate : names) {
        if (SameName(candidate, name))
            return true;
    }
    return false;
}

void CreateGuards(Handle& handle, const std::string& table, const std::string& field,
                  std::size_t number) {
    const std::string raise = "BEGIN SELECT RAISE(ABORT, " +
                              QuoteText("NOT NULL constraint failed: " + table + "." + field) +
                              "); END";
    const std::string base = "MSysGuard_" + table + "_" + std::to_string(number);
    handle.Exec("CREATE TRIGGER " + QuoteName(base + "_insert") + " BEFORE INSERT ON " +
                QuoteName(table) + " WHEN NEW." + QuoteName(field) + " IS NULL " + raise);
    handle.Exec("CREATE TRIGGER " + QuoteName(base + "_update") + " BEFORE UPDATE OF " +
                QuoteName(field) + " ON " + QuoteName(table) + " WHEN NEW." + QuoteName(field) +
                " IS NULL " + raise);
}

void CreateCounter(Handle& handle, const std::string& table, const std::string& field,
                   std::size_t number) {
    const std::string name = "MSysCounter_" + table + "_" + std::to_string(number);
    handle.Exec("CREATE TRIGGER " + QuoteName(name) + " AFTER INSERT ON " + QuoteName(table) +
                " WHEN NEW." + QuoteName(field) + " IS NULL BEGIN UPDATE " + QuoteName(table) +
                " SET " + QuoteName(field) + " = (SELECT coalesce(max(" + QuoteName(field) +
                "), 0) + 1 FROM " + QuoteName(table) + ") WHERE rowid = NEW.rowid; END");
}

}  // namespace

void DropTableTriggers(Handle& handle, const std::string& table) {
    std::vector<std::string> names;
    for (const CatalogEntry* trigger : handle.Catalog().OfTable(handle, table, "trigger")) {
        if (trigger->name.rfind("MSysGuard_", 0) == 0 ||
            trigger->name.rfind("MSysCounter_", 0) == 0)
            names.push_back(trigger->name);
    }
    for (const auto& name : names)
        handle.Exec("DROP TRIGGER " + QuoteName(name));
}

void RebuildTableTriggers(Handle& handle, const std::string& table) {
    DropTableTriggers(handle, table);
    SchemaReader reader(handle);
    const auto found = reader.Find(table, "table");
    if (!found)
        return;
    const std::string rowidKey = reader.RowidKey(found->name);
    std::vector<std::string> counters;
    for (const auto& column : reader.Columns(found->name)) {
        if ((column.field.attributes & attr::kAutoIncrField) != 0 &&
            !SameName(column.field.name, rowidKey)) {
            counters.push_back(column.field.name);
        }
    }
    std::vector<std::string> guarded;
    for (const auto& detail : reader.Indexes(found->name)) {
        if (!detail.described || !detail.info.required || !detail.physicalName)
            continue;
        for (const auto& field : IndexFieldNames(detail.info.fields)) {
            // A counter gets its value after the insert; it is never left Null.
            if (!Contains(guarded, field) && !Contains(counters, field))
                guarded.push_back(field);
        }
    }
    for (std::size_t i = 0; i < guarded.size(); ++i)
        CreateGuards(handle, found->name, guarded[i], i);
    for (std::size_t i = 0; i < counters.size(); ++i) {
        CreateCounter(handle, found->name, counters[i], i);
    }
}

}  // namespace tessel::db::sqlite
