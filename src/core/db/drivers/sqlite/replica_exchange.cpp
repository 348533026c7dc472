#include "core/db/drivers/sqlite/replica_exchange.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

#include "core/db/drivers/sqlite/replica_store.h"
#include "core/db/jetsql/quote.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;

std::string Qualified(const std::string& schema, const std::string& name) {
    return QuoteName(schema) + "." + QuoteName(name);
}

std::string ColumnList(const std::vector<std::string>& columns) {
    std::string list;
    for (const auto& column : columns) {
        if (!list.empty())
            list += ", ";
        list += QuoteName(column);
    }
    return list;
}

struct RowState {
    bool known = false;            // the file has bookkeeping for the row
    std::optional<long long> key;  // its rowid while the row exists
    std::string versionsText;
    VersionVector versions;
};

struct Difference {
    std::string guid;
    RowState side[2];
};

RowState ReadState(const Statement& row, int first) {
    RowState state;
    state.known = true;
    if (!row.IsNull(first))
        state.key = row.Integer(first);
    state.versionsText = row.Text(first + 1);
    state.versions = ParseVersions(state.versionsText);
    return state;
}

// The rows of `table` whose versions differ between the two files, read before any is changed.
std::vector<Difference> Differences(Handle& handle, const ExchangeSide& a, const ExchangeSide& b,
                                    const std::string& table) {
    const std::string rowsA = Qualified(a.schema, kReplicaRowsTable);
    const std::string rowsB = Qualified(b.schema, kReplicaRowsTable);
    std::vector<Difference> differences;
    Statement both = handle.Prepare(
        "SELECT x.Guid, x.RowKey, x.Versions, y.Guid IS NOT NULL, y.RowKey, y.Versions FROM " +
        rowsA + " x LEFT JOIN " + rowsB +
        " y ON y.Guid = x.Guid WHERE x.TableName = ?1 AND (y.Guid IS NULL OR y.Versions <>"
        " x.Versions) ORDER BY x.Guid");
    both.Bind(1, table);
    while (both.Step()) {
        Difference difference;
        difference.guid = both.Text(0);
        difference.side[0] = ReadState(both, 1);
        if (both.Integer(3) != 0)
            difference.side[1] = ReadState(both, 4);
        differences.push_back(std::move(difference));
    }
    Statement onlyB = handle.Prepare("SELECT y.Guid, y.RowKey, y.Versions FROM " + rowsB +
                                     " y WHERE y.TableName = ?1 AND NOT EXISTS (SELECT 1 FROM " +
                                     rowsA + " x WHERE x.Guid = y.Guid) ORDER BY y.Guid");
    onlyB.Bind(1, table);
    while (onlyB.Step()) {
        Difference difference;
        difference.guid = onlyB.Text(0);
        difference.side[1] = ReadState(onlyB, 1);
        differences.push_back(std::move(difference));
    }
    return differences;
}

// Failures that a file's own keys and rules give for one row, as opposed to failures of the
// file or the machine, which end the exchange.
bool RefusedByRule(long number) {
    switch (number) {
        case err::kDuplicateValue:
        case err::kNullNotAllowed:
        case err::kNullInIndex:
        case err::kValidationFailed:
        case err::kRelatedRecordRequired:
        case err::kFieldTooSmall:
        case err::kNumericOverflow:
        case err::kDataTypeMismatch:
            return true;
        default:
            return false;
    }
}

class TableExchange {
  public:
    TableExchange(Handle& handle, const ExchangeSide* sides[2], std::string table,
                  std::vector<std::string> columns, SyncResult& result)
        : handle_(handle),
          table_(std::move(table)),
          columns_(std::move(columns)),
          list_(ColumnList(columns_)),
          result_(result) {
        sides_[0] = sides[0];
        sides_[1] = sides[1];
    }

    void Run() {
        for (Difference& difference : Differences(handle_, *sides_[0], *sides_[1], table_))
            Resolve(difference);
    }

  private:
    void Resolve(Difference& d) {
        const VersionVector& a = d.side[0].versions;
        const VersionVector& b = d.side[1].versions;
        const bool aCoversB = Dominates(a, b);
        const bool bCoversA = Dominates(b, a);
        if (aCoversB && bCoversA)
            return;  // the same change, only written differently
        if (aCoversB || bCoversA) {
            const int from = aCoversB ? 0 : 1;
            if (sides_[1 - from]->receives)
                Apply(d, from, 1 - from, d.side[from].versionsText);
            return;
        }
        // Changed in both files since they last agreed.
        const long long editsA = EditCount(a);
        const long long editsB = EditCount(b);
        int winner = 0;
        if (editsA != editsB)
            winner = editsA > editsB ? 0 : 1;
        else
            winner = sides_[0]->replicaId <= sides_[1]->replicaId ? 0 : 1;
        const int loser = 1 - winner;
        const std::string merged = VersionsText(MergeVersions(a, b));
        const std::string reason =
            "Changed in both files since their last synchronisation; "
            "the change made in " +
            sides_[winner]->title + " was kept.";
        // Every record is taken before either row changes.
        for (int side = 0; side < 2; ++side) {
            if (sides_[side]->receives)
                RecordConflict(side, d, loser, reason);
        }
        for (int side = 0; side < 2; ++side) {
            if (!sides_[side]->receives)
                continue;
            if (side == loser) {
                Apply(d, winner, side, merged);
            } else {
                SetVersions(side, d.guid, merged);
            }
        }
    }

    // Makes the row of file `to` what it is in file `from`, with the versions given.
    void Apply(Difference& d, int from, int to, const std::string& versions) {
        const RowState& source = d.side[from];
        const RowState& target = d.side[to];
        const std::string& fromSchema = sides_[from]->schema;
        const std::string& toSchema = sides_[to]->schema;
        const std::string rows = Qualified(toSchema, kReplicaRowsTable);
        try {
            handle_.InTransaction([&] {
                if (source.key && target.key) {
                    Statement update = handle_.Prepare("UPDATE " + Qualified(toSchema, table_) +
                                                       " SET (" + list_ + ") = (SELECT " + list_ +
                                                       " FROM " + Qualified(fromSchema, table_) +
                                                       " WHERE rowid = ?1) WHERE rowid = ?2");
                    update.Bind(1, *source.key).Bind(2, *target.key);
                    update.Run();
                    SetVersions(to, d.guid, versions);
                } else if (source.key) {
                    Statement insert = handle_.Prepare(
                        "INSERT INTO " + Qualified(toSchema, table_) + " (" + list_ + ") SELECT " +
                        list_ + " FROM " + Qualified(fromSchema, table_) + " WHERE rowid = ?1");
                    insert.Bind(1, *source.key);
                    insert.Run();
                    const long long key = sqlite3_last_insert_rowid(handle_.Raw());
                    // The insert trigger gave the row a new identity; it takes the travelling
                    // one, replacing a tombstone of it.
                    Statement forget =
                        handle_.Prepare("DELETE FROM " + rows +
                                        " WHERE Guid = ?1 OR (TableName = ?2 AND RowKey = ?3)");
                    forget.Bind(1, d.guid).Bind(2, table_).Bind(3, key);
                    forget.Run();
                    WriteBookkeeping(rows, d.guid, key, versions);
                } else {
                    if (target.key) {
                        Statement remove = handle_.Prepare(
                            "DELETE FROM " + Qualified(toSchema, table_) + " WHERE rowid = ?1");
                        remove.Bind(1, *target.key);
                        remove.Run();
                    }
                    Statement forget = handle_.Prepare("DELETE FROM " + rows + " WHERE Guid = ?1");
                    forget.Bind(1, d.guid);
                    forget.Run();
                    WriteBookkeeping(rows, d.guid, std::nullopt, versions);
                }
            });
            ++result_.rowsWritten;
        } catch (const EngineError& error) {
            if (!RefusedByRule(error.Number()))
                throw;
            // The receiving file refuses the row (a key or rule of its own): the row is kept as
            // a conflict there instead of being lost, and the files stay as they were.
            RecordConflict(
                to, d, from,
                "Not applied: " + error.Description() + " (from " + sides_[from]->title + ")");
        }
    }

    void WriteBookkeeping(const std::string& rows, const std::string& guid,
                          std::optional<long long> key, const std::string& versions) {
        Statement write = handle_.Prepare("INSERT INTO " + rows +
                                          " (Guid, TableName, RowKey, Versions, Dirty)"
                                          " VALUES (?1, ?2, ?3, ?4, 0)");
        write.Bind(1, guid).Bind(2, table_);
        if (key)
            write.Bind(3, *key);
        else
            write.BindNull(3);
        write.Bind(4, versions);
        write.Run();
    }

    void SetVersions(int side, const std::string& guid, const std::string& versions) {
        Statement write =
            handle_.Prepare("UPDATE " + Qualified(sides_[side]->schema, kReplicaRowsTable) +
                            " SET Versions = ?1, Dirty = 0 WHERE Guid = ?2");
        write.Bind(1, versions).Bind(2, guid);
        write.Run();
    }

    // Keeps the row as file `of` has it in the conflict table of file `in`, once per version.
    void RecordConflict(int in, const Difference& d, int of, const std::string& reason) {
        const std::string& schema = sides_[in]->schema;
        const std::string conflictTable = table_ + "_Conflict";
        const std::string conflicts = Qualified(schema, conflictTable);
        if (!TableHas(schema, conflictTable)) {
            std::string definition = "CREATE TABLE " + conflicts +
                                     " (\"ConflictGuid\" TEXT, \"ConflictVersions\" TEXT,"
                                     " \"ConflictReason\" TEXT, \"ConflictFrom\" TEXT";
            Statement info = handle_.Prepare(
                "SELECT name, type FROM pragma_table_info(?1, ?2)"
                " ORDER BY cid");
            info.Bind(1, table_).Bind(2, schema);
            while (info.Step())
                definition += ", " + QuoteName(info.Text(0)) + " " + info.Text(1);
            handle_.Exec(definition + ")");
            // A conflict table belongs to its file and never travels.
            PutTableProperty(handle_, schema, conflictTable, "KeepLocal", "T");
        }
        const RowState& state = d.side[of];
        const std::string head = "INSERT INTO " + conflicts +
                                 " (\"ConflictGuid\", \"ConflictVersions\", \"ConflictReason\","
                                 " \"ConflictFrom\"";
        const std::string unseen = " NOT EXISTS (SELECT 1 FROM " + conflicts +
                                   " WHERE \"ConflictGuid\" = ?1 AND \"ConflictVersions\" = ?2)";
        Statement record =
            state.key ? handle_.Prepare(head + ", " + list_ + ") SELECT ?1, ?2, ?3, ?4, " + list_ +
                                        " FROM " + Qualified(sides_[of]->schema, table_) +
                                        " WHERE rowid = ?5 AND" + unseen)
                      : handle_.Prepare(head + ") SELECT ?1, ?2, ?3, ?4 WHERE" + unseen);
        record.Bind(1, d.guid)
            .Bind(2, state.versionsText)
            .Bind(3, state.key ? reason : reason + " The row was deleted there.")
            .Bind(4, sides_[of]->title);
        if (state.key)
            record.Bind(5, *state.key);
        record.Run();
        if (sqlite3_changes(handle_.Raw()) > 0)
            ++result_.conflicts;
    }

    bool TableHas(const std::string& schema, const std::string& table) {
        Statement find = handle_.Prepare("SELECT 1 FROM " + QuoteName(schema) +
                                         ".sqlite_schema WHERE type = 'table' AND name = ?1");
        find.Bind(1, table);
        return find.Step();
    }

    Handle& handle_;
    const ExchangeSide* sides_[2];
    std::string table_;
    std::vector<std::string> columns_;
    std::string list_;
    SyncResult& result_;
};

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Tables replicated on one side must be on the other too, unless kept local there.
void CheckTablesMatch(Handle& handle, const std::vector<std::string>& tables,
                      const ExchangeSide& side, const std::vector<std::string>& otherTables,
                      const ExchangeSide& other) {
    for (const auto& table : tables) {
        if (!Contains(otherTables, table) && !KeptLocal(handle, other.schema, table)) {
            throw EngineError(err::kObjectNotFound,
                              "The table '" + table + "' of '" + side.title + "' is not in '" +
                                  other.title +
                                  "'; both files of a synchronisation need the same tables.");
        }
    }
}

}  // namespace

SyncResult ExchangeChanges(Handle& handle, const ExchangeSide& first, const ExchangeSide& second) {
    Settle(handle, first.schema, first.replicaId);
    Settle(handle, second.schema, second.replicaId);
    const auto tablesA = ReplicatedTables(handle, first.schema);
    const auto tablesB = ReplicatedTables(handle, second.schema);
    CheckTablesMatch(handle, tablesA, first, tablesB, second);
    CheckTablesMatch(handle, tablesB, second, tablesA, first);

    SyncResult result;
    const ExchangeSide* sides[2] = {&first, &second};
    for (const auto& table : tablesA) {
        if (!Contains(tablesB, table))
            continue;
        auto columns = TableColumns(handle, first.schema, table);
        auto otherColumns = TableColumns(handle, second.schema, table);
        auto sortedA = columns;
        std::sort(sortedA.begin(), sortedA.end());
        std::sort(otherColumns.begin(), otherColumns.end());
        if (sortedA != otherColumns) {
            throw EngineError(err::kNotSupported,
                              "The table '" + table + "' has different fields in '" + first.title +
                                  "' and '" + second.title +
                                  "'; changes of design are not exchanged, so make them in "
                                  "both files first.");
        }
        TableExchange(handle, sides, table, std::move(columns), result).Run();
    }
    return result;
}

}  // namespace tessel::db::sqlite
