// Writing a replica of a design master; a failure puts the design master back from its backup
// copy, and a replica already written stays.
#include <filesystem>

#include "core/db/replication.h"
#include "core/maintenance/design_master.h"
#include "core/maintenance/repair_db.h"
#include "core/maintenance/replication_run.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void ReplicateDM(Session& session) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    const std::string master = ChooseAccessFile(session, FileDialogRequest::Kind::Open,
                                                "Select Microsoft Access Design Master source", 4);
    if (master.empty())
        return;
    const std::string replica =
        ChooseAccessFile(session, FileDialogRequest::Kind::Save,
                         "Enter name Microsoft Access Design Master replica", 6);
    if (replica.empty())
        return;

    const std::string backup = BackupCopyPath(state, master);
    bool backupMade = false;
    try {
        CloseForTool(session);
        state.replication.firstFileTitle = FilePart(master);
        state.replication.secondFileTitle = FilePart(replica);
        PrepareBackupDirectory(session);
        CopyDatabaseFile(master, backup);
        backupMade = true;
        ui.SetStatusText("created backup of " + backup);
        ui.SetStatusText("Created backup of source database");
        state.current.currentConnect.clear();
        if (!OpenForTool(session, master, true))
            return;
        // The save dialog has asked before an existing file is replaced.
        if (replica != master) {
            std::error_code code;
            std::filesystem::remove(replica, code);
        }
        db::MakeReplica(*state.current.currentDatabase, replica, kReplicaDescription);
        if (state.current.databaseOpen)
            CloseDB(session);
        state.current.databaseOpen = false;
        RepairDB(session, replica, true);
        CompactFileInPlace(session, replica);
        ui.SetPointer(Pointer::Busy);
        ui.SetStatusText("replica compacted: " + replica);
        DeleteBackupCopy(session, backup);
        if (RemoveBackupDirectory(session))
            ui.SetStatusText("backup directory deleted: " + BackupDirectory(state));
        OpenToolResult(session, replica);
        ui.SetPointer(Pointer::Default);
        ui.SetStatusText("Created Design Master replica database: " + replica);
    } catch (const std::exception& failure) {
        if (!ReportToolFailure(session, failure))
            return;
        RestoreOriginal(session, backup, backupMade, master);
    }
}

}  // namespace tessel
