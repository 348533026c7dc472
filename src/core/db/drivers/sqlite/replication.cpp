// The engine's replication operations on single-file databases (core/db/replication.h).
#include "core/db/replication.h"

#include <sys/stat.h>

#include "core/db/drivers/sqlite/database_password.h"
#include "core/db/drivers/sqlite/file_places.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/drivers/sqlite/metadata_store.h"
#include "core/db/drivers/sqlite/replica_exchange.h"
#include "core/db/drivers/sqlite/replica_store.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"

namespace tessel::db {
namespace {

using sqlite::Handle;
using sqlite::Statement;

constexpr const char* kPeerSchema = "tessel_peer";

std::string Title(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file of an opened database, when it is one this engine replicates.
std::string ReplicableFile(Database& database) {
    const std::string connect = database.Connect();
    if (!connect.empty() && connect.front() != ';') {
        throw EngineError(err::kNotSupported, "Replication works on single-file databases only; '" +
                                                  database.Name() + "' was opened as '" + connect +
                                                  "'.");
    }
    const std::string path = database.Name();
    if (sqlite::ProbeDatabaseFile(path) == sqlite::FileKind::Jet)
        sqlite::ThrowJetReaderMissing(path);
    return path;
}

void EnsureMetadata(Handle& handle) {
    sqlite::MetadataStore store(handle);
    if (!store.Exists())
        handle.InTransaction([&] { store.EnsureTables(); });
}

std::string ExactTableName(Handle& handle, const std::string& table) {
    Statement list = handle.Prepare("SELECT name FROM main.sqlite_schema WHERE type = 'table'");
    while (list.Step()) {
        if (SameName(list.Text(0), table))
            return list.Text(0);
    }
    throw EngineError(err::kItemNotFound,
                      "Item not found in this collection: the database has no "
                      "table named '" +
                          table + "'.");
}

}  // namespace

void CreateTableProperty(Database& database, const std::string& table, const std::string& name,
                         int type, const Value& value) {
    const std::string path = ReplicableFile(database);
    CheckObjectName(name);
    auto handle = Handle::Open(path, false);
    const std::string exact = ExactTableName(*handle, table);
    // User properties live in the metadata; the collection lists the engine's own.
    if (auto stored =
            sqlite::MetadataStore(*handle).GetProperty(sqlite::objkind::kTable, exact, name)) {
        throw EngineError(err::kDuplicateName, "Cannot append: the table '" + exact +
                                                   "' already has a property named '" +
                                                   stored->name + "'.");
    }
    for (const auto& property : database.TableProperties(exact)) {
        if (SameName(property.name, name)) {
            throw EngineError(err::kDuplicateName, "Cannot append: the table '" + exact +
                                                       "' already has a property named '" +
                                                       property.name + "'.");
        }
    }
    handle->InTransaction([&] {
        sqlite::MetadataStore store(*handle);
        store.EnsureTables();
        store.PutProperty(sqlite::objkind::kTable, exact, Property{name, type, value, true});
    });
}

void MakeReplica(Database& database, const std::string& replica, const std::string& description) {
    const std::string source = ReplicableFile(database);
    {
        auto handle = Handle::Open(source, false);
        const auto identity = sqlite::ReadReplicaIdentity(*handle, "main", source);
        // Every row gets its identity and versions before it is copied.
        handle->InTransaction([&] { sqlite::Settle(*handle, "main", identity.replicaId); });
    }
    sqlite::CheckNewFilePlace(replica);
    sqlite::WriteNewFile(replica, [&](const std::string& temporary) {
        {
            auto handle = Handle::Open(source, true);
            handle->Exec("VACUUM INTO " + jetsql::QuoteText(temporary));
        }
        auto handle = Handle::Open(temporary, false);
        handle->InTransaction([&] {
            auto identity = sqlite::ReadReplicaIdentity(*handle, "main", source);
            std::vector<std::string> kept;
            {
                Statement list = handle->Prepare(
                    "SELECT name FROM main.sqlite_schema WHERE type = 'table' ORDER BY name");
                while (list.Step()) {
                    if (!IsSystemTableName(list.Text(0)) &&
                        sqlite::KeptLocal(*handle, "main", list.Text(0)))
                        kept.push_back(list.Text(0));
                }
            }
            for (const auto& table : kept) {
                handle->Exec("DROP TABLE " + jetsql::QuoteName(table));
                Statement forget =
                    handle->Prepare(std::string("DELETE FROM ") + sqlite::kReplicaRowsTable +
                                    " WHERE TableName = ?1");
                forget.Bind(1, table);
                forget.Run();
                sqlite::MetadataStore(*handle).ForgetTable(table);
            }
            identity.replicaId = sqlite::NewReplicaGuid();
            identity.designMaster = false;
            sqlite::WriteReplicaIdentity(*handle, "main", identity, description);
        });
    });
}

SyncResult Synchronize(Database& database, const std::string& target, int exchangeKind) {
    if (exchangeKind != exchange::kSend && exchangeKind != exchange::kReceive &&
        exchangeKind != exchange::kBoth) {
        throw EngineError(err::kInvalidArgument,
                          "Invalid argument: " + std::to_string(exchangeKind) +
                              " is not a synchronisation direction (1, 2 or 4).");
    }
    const std::string path = ReplicableFile(database);
    if (sqlite::ProbeDatabaseFile(target) == sqlite::FileKind::Jet)
        sqlite::ThrowJetReaderMissing(target);
    struct stat first {};
    struct stat second {};
    if (::stat(path.c_str(), &first) == 0 && ::stat(target.c_str(), &second) == 0 &&
        first.st_dev == second.st_dev && first.st_ino == second.st_ino) {
        throw EngineError(err::kInvalidArgument, "'" + target + "' is the same file as '" + path +
                                                     "'; a database cannot be synchronised with "
                                                     "itself.");
    }

    sqlite::ReplicaIdentity targetIdentity;
    {
        auto handle = Handle::Open(target, false);
        sqlite::CheckDatabasePassword(*handle, database.Connect());
        targetIdentity = sqlite::ReadReplicaIdentity(*handle, "main", target);
        EnsureMetadata(*handle);
    }
    auto handle = Handle::Open(path, false);
    const auto identity = sqlite::ReadReplicaIdentity(*handle, "main", path);
    if (identity.replicaSet != targetIdentity.replicaSet) {
        throw EngineError(err::kNotSupported, "'" + target + "' and '" + path +
                                                  "' do not belong to the same design master, "
                                                  "so they cannot be synchronised.");
    }
    EnsureMetadata(*handle);

    handle->Exec("ATTACH DATABASE " + jetsql::QuoteText(target) + " AS " + kPeerSchema);
    const sqlite::ExchangeSide mine{"main", Title(path), identity.replicaId,
                                    exchangeKind != exchange::kSend};
    const sqlite::ExchangeSide theirs{kPeerSchema, Title(target), targetIdentity.replicaId,
                                      exchangeKind != exchange::kReceive};
    SyncResult result;
    try {
        handle->InTransaction([&] { result = sqlite::ExchangeChanges(*handle, mine, theirs); });
    } catch (...) {
        handle->Exec(std::string("DETACH DATABASE ") + kPeerSchema);
        throw;
    }
    handle->Exec(std::string("DETACH DATABASE ") + kPeerSchema);
    return result;
}

}  // namespace tessel::db
