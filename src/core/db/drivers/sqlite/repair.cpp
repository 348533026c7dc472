#include "core/db/drivers/sqlite/repair.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/base/atomic_file.h"
#include "core/base/backup_file.h"
#include "core/db/drivers/sqlite/file_places.h"
#include "core/db/drivers/sqlite/file_probe.h"
#include "core/db/drivers/sqlite/salvage.h"
#include "core/db/drivers/sqlite/stored_definition.h"
#include "core/db/errors.h"
#include "core/db/jetsql/quote.h"
#include "core/db/names.h"
#include "core/db/sqlite/handle.h"
#include "core/db/system_error.h"

namespace tessel::db::sqlite {
namespace {

using jetsql::QuoteName;

using SchemaEntry = StoredObject;

// Sound: the header matches the file's length and SQLite's own check finds nothing.
bool IsSound(Handle& source) {
    try {
        ProbeDatabaseFile(source.Path());
        auto check = source.Prepare("PRAGMA quick_check");
        return check.Step() && check.Text(0) == "ok" && !check.Step();
    } catch (const EngineError&) {
        return false;
    }
}

int Rank(const std::string& type) {
    if (type == "table")
        return 0;
    if (type == "index")
        return 1;
    return type == "view" ? 2 : 3;
}

// The schema entries up to the first unreadable one, tables first.
std::vector<SchemaEntry> ReadSchema(Handle& source, const std::string& path) {
    std::vector<SchemaEntry> entries;
    try {
        auto statement =
            source.Prepare("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL");
        while (statement.Step()) {
            entries.push_back({statement.Text(0), statement.Text(1), statement.Text(2)});
        }
    } catch (const EngineError& error) {
        if (entries.empty()) {
            throw EngineError(err::kUnreadableDatabase,
                              "The database '" + path +
                                  "' cannot be repaired: its list of tables cannot be read.",
                              kEngineSource, error.Details());
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return Rank(a.type) < Rank(b.type); });
    return entries;
}

// "'Orders': 95 of 100 rows saved"; the total is the saved rows when nothing can count them.
std::string SalvageNote(const std::string& table, const SalvagedRows& rows) {
    const std::int64_t total = std::max(rows.saved, rows.total.value_or(rows.saved));
    return "'" + table + "': " + std::to_string(rows.saved) + " of " + std::to_string(total) +
           (total == 1 ? " row saved" : " rows saved");
}

// Keeps the counters' next values where the damaged file had them.
void CopySequences(Handle& source, Handle& target) {
    try {
        auto read = source.Prepare("SELECT name, seq FROM sqlite_sequence");
        auto write =
            target.Prepare("UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
        while (read.Step()) {
            write.Bind(1, read.Text(0)).Bind(2, read.Integer(1));
            write.Step();
            sqlite3_reset(write.Raw());
        }
    } catch (const EngineError&) {
        // No counters, or their table is lost: the copied rows give the next values.
    }
}

// Makes one stored object in the new file; false (with a note) when it is left out.
bool Remake(Handle& target, const SchemaEntry& entry, std::vector<std::string>& leftOut) {
    std::string refusal;
    PreparedStatement definition = PrepareStoredDefinition(target.Raw(), entry, refusal);
    if (definition) {
        const int rc = sqlite3_step(definition.get());
        if (rc == SQLITE_DONE)
            return true;
        // An index the salvaged rows break, or a view or trigger of a lost table.
        refusal = "it cannot be made again: " + std::string(sqlite3_errmsg(target.Raw()));
    }
    leftOut.push_back("'" + entry.name + "' (" + refusal + ")");
    return false;
}

// Returns a note per table saved, then the objects left out.
std::vector<std::string> Rebuild(Handle& source, const std::string& path,
                                 const std::string& temporary) {
    const auto schema = ReadSchema(source, path);
    std::vector<std::string> notes;
    std::vector<std::string> leftOut;
    auto target = Handle::Create(temporary);
    target->Exec("PRAGMA foreign_keys = OFF");
    target->InTransaction([&] {
        for (const auto& entry : schema) {
            if (entry.type != "table" || SameName(entry.name.substr(0, 7), "sqlite_"))
                continue;
            if (!Remake(*target, entry, leftOut))
                continue;
            const SalvagedRows rows = SalvageRows(source, *target, entry.name);
            // The hidden system tables are named only when they lost rows.
            if (!IsSystemTableName(entry.name) || rows.total.value_or(rows.saved) > rows.saved)
                notes.push_back(SalvageNote(entry.name, rows));
        }
        for (const auto& entry : schema) {
            if (entry.type != "table")
                Remake(*target, entry, leftOut);
        }
        CopySequences(source, *target);
    });
    for (const std::string& object : leftOut)
        notes.push_back("left out " + object);
    return notes;
}

}  // namespace

std::vector<std::string> RepairDatabaseFile(const std::string& path) {
    const FileKind kind = ProbeDatabaseFile(path, true);
    if (kind == FileKind::Jet)
        ThrowJetReaderMissing(path);
    if (kind == FileKind::Encrypted) {
        // A page that fails its check may have been changed on purpose: salvaging around it
        // would hand on data nobody can vouch for.
        throw EngineError(err::kNotSupported,
                          "The database '" + path +
                              "' is encrypted, and an encrypted database cannot be repaired: "
                              "a page that fails its integrity check is never read.");
    }
    {
        auto source = Handle::Open(path, true);
        if (IsSound(*source))
            return {};
    }
    std::optional<base::AtomicFile> repaired;
    try {
        repaired.emplace(path);
    } catch (const base::FileWriteError& error) {
        throw FromWriteError(error, err::kCannotOpenFile);
    }
    // SQLite takes the file by name; our descriptor would drop its locks when closed.
    repaired->CloseDescriptor();
    const std::string& temporary = repaired->TemporaryPath();
    std::vector<std::string> notes;
    try {
        // Reads a file shorter than its header says, up to where it ends.
        auto source = Handle::OpenDamaged(path);
        notes = Rebuild(*source, path, temporary);
    } catch (...) {
        RemoveJournalOf(temporary);
        throw;
    }
    // The damaged original stays beside the repaired file, with its journals, under a backup
    // name that no earlier backup has.
    std::error_code moveError;
    const base::MovedAside moved =
        base::MoveAsideAsBackup(path, {"-journal", "-wal", "-shm"}, moveError);
    if (moveError || moved.backup.empty()) {
        throw EngineError(err::kCannotOpenFile,
                          "The database '" + path +
                              "' was not repaired: it could not be moved aside (" +
                              (moveError ? moveError.message() : "it is gone") + ").");
    }
    const std::string& backup = moved.backup;
    try {
        repaired->Commit();
    } catch (const base::FileWriteError&) {
        std::rename(backup.c_str(), path.c_str());
        throw EngineError(err::kCannotOpenFile, "The database '" + path +
                                                    "' was not repaired: the repaired copy could "
                                                    "not take its name.");
    }
    return notes;
}

}  // namespace tessel::db::sqlite
