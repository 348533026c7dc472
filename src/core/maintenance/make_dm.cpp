// Making a design master: the chosen file gets "Replicable", its chosen tables "KeepLocal",
// and is repaired and compacted; a failure puts it back from its backup copy.
#include <filesystem>

#include "core/db/replication.h"
#include "core/maintenance/design_master.h"
#include "core/maintenance/repair_db.h"
#include "core/maintenance/replication_run.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

std::vector<std::string> TablesToOffer(db::Database& database) {
    std::vector<std::string> tables;
    for (const auto& table : database.TableDefs()) {
        if ((table.attributes & db::attr::kSystemObjectMask) == 0)
            tables.push_back(table.name);
    }
    return tables;
}

bool KeepTablesLocal(Session& session, const std::vector<std::string>& tables) {
    try {
        for (const auto& table : tables) {
            db::CreateTableProperty(*session.state.current.currentDatabase, table,
                                    kKeepLocalProperty, db::ftype::kText, std::string("T"));
        }
        return true;
    } catch (const std::exception& error) {
        ShowStandardError(session.ui, AsEngineError(error));
        return false;
    }
}

void MakeDM(Session& session) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    state.current.connectionType = "Access";
    OpenDB(session, "", false);
    const std::string file = state.current.currentDatabaseFileName;
    if (file.empty())
        return;
    const std::string backup = BackupCopyPath(state, file);
    bool backupMade = false;
    try {
        if (state.current.databaseOpen)
            CloseDB(session);
        ui.SetPointer(Pointer::Busy);
        PrepareBackupDirectory(session);
        CopyDatabaseFile(file, backup);
        backupMade = true;
        ui.SetStatusText("Created backup of design master");
        state.current.currentConnect.clear();
        if (!OpenForTool(session, file, true))
            return;  // the backup stays, as after any cancelled password prompt
        db::Database& database = *state.current.currentDatabase;
        const auto tables = TablesToOffer(database);
        ui.SetPointer(Pointer::Default);
        ui.ChooseTablesKeptLocal(tables, [&session](const std::vector<std::string>& chosen) {
            return KeepTablesLocal(session, chosen);
        });
        ui.SetPointer(Pointer::Busy);
        database.CreateProperty(kReplicableProperty, db::ftype::kText, std::string("T"));
        if (state.current.databaseOpen)
            CloseDB(session);
        state.current.databaseOpen = false;
        RepairDB(session, file, true);
        CompactFileInPlace(session, file);
        ui.SetPointer(Pointer::Busy);
        ui.SetStatusText("design master compacted: " + file);
        DeleteBackupCopy(session, backup);
        RemoveBackupDirectory(session);
        OpenToolResult(session, file);
        ui.SetPointer(Pointer::Default);
        ui.SetStatusText("Created Design Master database: " + file);
    } catch (const std::exception& failure) {
        if (!ReportToolFailure(session, failure))
            return;
        RestoreOriginal(session, backup, backupMade, file);
    }
}

}  // namespace tessel
