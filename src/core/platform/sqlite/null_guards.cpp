#include "core/platform/sqlite/null_guards.h"

#include <vector>

#include "core/platform/jetsql/quote.h"
#include "core/platform/sqlite/metadata_store.h"
#include "core/platform/sqlite/schema_reader.h"

namespace tessel::platform::sqlite {
namespace {

using jetsql::QuoteName;
using jetsql::QuoteText;

std::vector<std::string> FieldNames(const std::string& fields) {
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

}  // namespace

void RebuildNullGuards(Handle& handle, const std::string& table) {
    std::vector<std::string> stale;
    {
        auto statement = handle.Prepare(
            "SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE "
            "NOCASE AND substr(name, 1, 10) = 'MSysGuard_'");
        statement.Bind(1, table);
        while (statement.Step())
            stale.push_back(statement.Text(0));
    }
    for (const auto& name : stale)
        handle.Exec("DROP TRIGGER " + QuoteName(name));

    SchemaReader reader(handle);
    const auto found = reader.Find(table, "table");
    if (!found)
        return;
    std::vector<std::string> guarded;
    for (const auto& detail : reader.Indexes(found->name)) {
        if (!detail.described || !detail.info.required || !detail.physicalName)
            continue;
        for (const auto& field : FieldNames(detail.info.fields)) {
            bool known = false;
            for (const auto& g : guarded)
                known = known || SameName(g, field);
            if (!known)
                guarded.push_back(field);
        }
    }
    for (std::size_t i = 0; i < guarded.size(); ++i) {
        const std::string& field = guarded[i];
        const std::string raise =
            "BEGIN SELECT RAISE(ABORT, " +
            QuoteText("NOT NULL constraint failed: " + found->name + "." + field) + "); END";
        const std::string base = "MSysGuard_" + found->name + "_" + std::to_string(i);
        handle.Exec("CREATE TRIGGER " + QuoteName(base + "_insert") + " BEFORE INSERT ON " +
                    QuoteName(found->name) + " WHEN NEW." + QuoteName(field) + " IS NULL " + raise);
        handle.Exec("CREATE TRIGGER " + QuoteName(base + "_update") + " BEFORE UPDATE OF " +
                    QuoteName(field) + " ON " + QuoteName(found->name) + " WHEN NEW." +
                    QuoteName(field) + " IS NULL " + raise);
    }
}

}  // namespace tessel::platform::sqlite
