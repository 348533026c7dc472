#include "core/db/drivers/sqlite/replica_store.h"

#include <sqlite3.h>

#include <cstdio>

#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;
using jetsql::QuoteText;

std::string Qualified(const std::string& schema, const std::string& name) {
    return QuoteName(schema) + "." + QuoteName(name);
}

bool TableExists(Handle& handle, const std::string& schema, const std::string& table) {
    Statement find = handle.Prepare("SELECT 1 FROM " + QuoteName(schema) +
                                    ".sqlite_schema WHERE type = 'table' AND name = ?1");
    find.Bind(1, table);
    return find.Step();
}

std::string TriggerName(const std::string& table, const char* suffix) {
    return std::string(kReplicaTable) + "_" + table + suffix;
}

}  // namespace

VersionVector ParseVersions(const std::string& text) {
    VersionVector versions;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(start, end - start);
        const std::size_t colon = part.rfind(':');
        if (colon != std::string::npos && colon > 0) {
            try {
                versions[part.substr(0, colon)] = std::stoll(part.substr(colon + 1));
            } catch (const std::exception&) {
                // A damaged entry counts as no edit of that replica; the next change rewrites it.
            }
        }
        start = end + 1;
    }
    return versions;
}

std::string VersionsText(const VersionVector& versions) {
    std::string text;
    for (const auto& [replica, count] : versions) {
        if (!text.empty())
            text += ';';
        text += replica + ":" + std::to_string(count);
    }
    return text;
}

VersionVector MergeVersions(const VersionVector& a, const VersionVector& b) {
    VersionVector merged = a;
    for (const auto& [replica, count] : b) {
        auto& slot = merged[replica];
        if (count > slot)
            slot = count;
    }
    return merged;
}

bool Dominates(const VersionVector& a, const VersionVector& b) {
    for (const auto& [replica, count] : b) {
        const auto found = a.find(replica);
        if (found == a.end() || found->second < count)
            return false;
    }
    return true;
}

long long EditCount(const VersionVector& versions) {
    long long total = 0;
    for (const auto& [replica, count] : versions)
        total += count;
    return total;
}

std::string NewReplicaGuid() {
    unsigned char bytes[16];
    sqlite3_randomness(sizeof bytes, bytes);
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

bool IsReplicable(Handle& handle, const std::string& schema) {
    return TableExists(handle, schema, kReplicaTable) &&
           TableExists(handle, schema, kReplicaRowsTable);
}

ReplicaIdentity ReadReplicaIdentity(Handle& handle, const std::string& schema,
                                    const std::string& file) {
    if (IsReplicable(handle, schema)) {
        Statement read = handle.Prepare("SELECT ReplicaId, ReplicaSet, DesignMaster FROM " +
                                        Qualified(schema, kReplicaTable) + " LIMIT 1");
        if (read.Step() && !read.IsNull(0) && !read.IsNull(1)) {
            return ReplicaIdentity{read.Text(0), read.Text(1), read.Integer(2) != 0};
        }
    }
    throw EngineError(err::kNotSupported,
                      "The database '" + file +
                          "' is not a design master or replica: its Replicable property is not "
                          "\"T\". Make it a design master first.");
}

void WriteReplicaIdentity(Handle& handle, const std::string& schema,
                          const ReplicaIdentity& identity, const std::string& description) {
    handle.Exec("DELETE FROM " + Qualified(schema, kReplicaTable));
    Statement write = handle.Prepare("INSERT INTO " + Qualified(schema, kReplicaTable) +
                                     " (ReplicaId, ReplicaSet, DesignMaster, Description)"
                                     " VALUES (?1, ?2, ?3, ?4)");
    write.Bind(1, identity.replicaId)
        .Bind(2, identity.replicaSet)
        .Bind(3, identity.designMaster ? 1LL : 0LL)
        .Bind(4, description);
    write.Run();
}

void MakeReplicable(Handle& handle) {
    const auto tables = ReplicatedTables(handle, "main");
    for (const auto& table : tables) {
        Statement kind =
            handle.Prepare("SELECT sql FROM main.sqlite_schema WHERE type = 'table' AND name = ?1");
        kind.Bind(1, table);
        if (kind.Step() && kind.Text(0).find("WITHOUT ROWID") != std::string::npos) {
            throw EngineError(err::kNotSupported,
                              "The table '" + table +
                                  "' has no row numbers (WITHOUT ROWID), so its rows cannot be "
                                  "replicated. Keep it local or rebuild it.");
        }
    }
    handle.Exec(std::string("CREATE TABLE ") + kReplicaTable +
                " (ReplicaId TEXT NOT NULL, ReplicaSet TEXT NOT NULL,"
                " DesignMaster INTEGER NOT NULL, Description TEXT);"
                "CREATE TABLE " +
                kReplicaRowsTable +
                " (Guid TEXT PRIMARY KEY NOT NULL, TableName TEXT NOT NULL, RowKey INTEGER,"
                " Versions TEXT NOT NULL, Dirty INTEGER NOT NULL);"
                "CREATE UNIQUE INDEX MSysReplicaRows_Key ON " +
                kReplicaRowsTable + " (TableName, RowKey);");
    const std::string id = NewReplicaGuid();
    WriteReplicaIdentity(handle, "main", ReplicaIdentity{id, id, true}, "Design Master");
    Settle(handle, "main", id);
}

bool KeptLocal(Handle& handle, const std::string& schema, const std::string& table) {
    if (!TableExists(handle, schema, kMetaProperties))
        return false;
    Statement read = handle.Prepare("SELECT Value FROM " + Qualified(schema, kMetaProperties) +
                                    " WHERE ObjectKind = ?1 AND ObjectName = ?2"
                                    " AND PropertyName = 'KeepLocal'");
    read.Bind(1, objkind::kTable).Bind(2, table);
    return read.Step() && read.Text(0) == "T";
}

void PutTableProperty(Handle& handle, const std::string& schema, const std::string& table,
                      const std::string& name, const std::string& value) {
    Statement write =
        handle.Prepare("INSERT OR REPLACE INTO " + Qualified(schema, kMetaProperties) +
                       " (ObjectKind, ObjectName, PropertyName, TypeCode, Value)"
                       " VALUES (?1, ?2, ?3, 10, ?4)");
    write.Bind(1, objkind::kTable).Bind(2, table).Bind(3, name).Bind(4, value);
    write.Run();
}

std::vector<std::string> ReplicatedTables(Handle& handle, const std::string& schema) {
    std::vector<std::string> names;
    {
        Statement list = handle.Prepare("SELECT name FROM " + QuoteName(schema) +
                                        ".sqlite_schema WHERE type = 'table' ORDER BY name");
        while (list.Step())
            names.push_back(list.Text(0));
    }
    std::vector<std::string> tables;
    for (auto& name : names) {
        if (!IsSystemTableName(name) && !KeptLocal(handle, schema, name))
            tables.push_back(std::move(name));
    }
    return tables;
}

std::vector<std::string> TableColumns(Handle& handle, const std::string& schema,
                                      const std::string& table) {
    std::vector<std::string> columns;
    Statement info = handle.Prepare("SELECT name FROM pragma_table_info(?1, ?2) ORDER BY cid");
    info.Bind(1, table).Bind(2, schema);
    while (info.Step())
        columns.push_back(info.Text(0));
    return columns;
}

void CreateReplicaTriggers(Handle& handle, const std::string& schema, const std::string& table) {
    const std::string on = " ON " + QuoteName(table) + " BEGIN ";
    const std::string rows = std::string(kReplicaRowsTable);
    const std::string name = QuoteText(table);
    // A row replaced by INSERT OR REPLACE fires no delete trigger: its old bookkeeping becomes
    // a tombstone before the new row gets its own.
    handle.Exec("CREATE TRIGGER IF NOT EXISTS " + Qualified(schema, TriggerName(table, "_i")) +
                " AFTER INSERT" + on + "UPDATE " + rows +
                " SET RowKey = NULL, Dirty = 1 WHERE TableName = " + name +
                " AND RowKey = new.rowid; INSERT INTO " + rows +
                " (Guid, TableName, RowKey, Versions, Dirty) VALUES (lower(hex(randomblob(16))), " +
                name + ", new.rowid, '', 1); END;");
    handle.Exec("CREATE TRIGGER IF NOT EXISTS " + Qualified(schema, TriggerName(table, "_u")) +
                " AFTER UPDATE" + on + "UPDATE " + rows +
                " SET RowKey = new.rowid, Dirty = 1 WHERE TableName = " + name +
                " AND RowKey = old.rowid; END;");
    handle.Exec("CREATE TRIGGER IF NOT EXISTS " + Qualified(schema, TriggerName(table, "_d")) +
                " AFTER DELETE" + on + "UPDATE " + rows +
                " SET RowKey = NULL, Dirty = 1 WHERE TableName = " + name +
                " AND RowKey = old.rowid; END;");
}

void Settle(Handle& handle, const std::string& schema, const std::string& replicaId) {
    const std::string rows = Qualified(schema, kReplicaRowsTable);
    for (const auto& table : ReplicatedTables(handle, schema)) {
        CreateReplicaTriggers(handle, schema, table);
        // Rows that came without the triggers (another tool's bulk load, a rebuilt table).
        Statement missing = handle.Prepare(
            "INSERT INTO " + rows +
            " (Guid, TableName, RowKey, Versions, Dirty) SELECT lower(hex(randomblob(16))), ?1,"
            " rowid, '', 1 FROM " +
            Qualified(schema, table) + " WHERE rowid NOT IN (SELECT RowKey FROM " + rows +
            " WHERE TableName = ?1 AND RowKey IS NOT NULL)");
        missing.Bind(1, table);
        missing.Run();
        Statement vanished = handle.Prepare("UPDATE " + rows +
                                            " SET RowKey = NULL, Dirty = 1 WHERE TableName = ?1"
                                            " AND RowKey IS NOT NULL AND RowKey NOT IN"
                                            " (SELECT rowid FROM " +
                                            Qualified(schema, table) + ")");
        vanished.Bind(1, table);
        vanished.Run();
    }
    std::vector<std::pair<std::string, std::string>> dirty;
    {
        Statement read = handle.Prepare("SELECT Guid, Versions FROM " + rows + " WHERE Dirty <> 0");
        while (read.Step())
            dirty.emplace_back(read.Text(0), read.Text(1));
    }
    Statement write =
        handle.Prepare("UPDATE " + rows + " SET Versions = ?1, Dirty = 0 WHERE Guid = ?2");
    for (const auto& [guid, text] : dirty) {
        VersionVector versions = ParseVersions(text);
        ++versions[replicaId];
        write.Bind(1, VersionsText(versions)).Bind(2, guid);
        write.Run();
        sqlite3_reset(write.Raw());
    }
}

}  // namespace tessel::db::sqlite
