#include "core/maintenance/synch_dm.h"

#include "core/db/replication.h"
#include "core/maintenance/repair_db.h"
#include "core/maintenance/replication_run.h"
#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {
namespace {

// Two different files of the same title would share one backup copy, and putting the first
// back would then give it the second's rows: the second's copy gets a name of its own.
std::string SecondBackupCopy(const SharedState& state, const std::string& first,
                             const std::string& second) {
    const std::string copy = BackupCopyPath(state, second);
    if (first != second && copy == BackupCopyPath(state, first))
        return BackupDirectory(state) + "/second-" + FilePart(second);
    return copy;
}

void RestoreOriginals(Session& session, const std::string& first, const std::string& firstCopy,
                      const std::string& second, const std::string& secondCopy) {
    const ReplicationState& replication = session.state.replication;
    try {
        RepairDB(session, firstCopy, true);
        CompactFileInPlace(session, firstCopy);
        RepairDB(session, secondCopy, true);
        CompactFileInPlace(session, secondCopy);
        CopyDatabaseFile(firstCopy, first);
        CopyDatabaseFile(secondCopy, second);
        DeleteBackupCopy(session, firstCopy);
        DeleteBackupCopy(session, secondCopy);
        RemoveBackupDirectory(session);
        session.ui.SetStatusText("Restored originals: " + replication.firstFileTitle + " and " +
                                 replication.secondFileTitle);
    } catch (const std::exception& failure) {
        // What could not be put back stays in the backup directory.
        ShowStandardError(session.ui, AsEngineError(failure));
    }
}

}  // namespace

std::string SynchronisedStatus(int direction, const std::string& firstTitle,
                               const std::string& secondTitle) {
    switch (direction) {
        case db::exchange::kSend:
            return "Synchronised update changes from " + firstTitle + " into " + secondTitle;
        case db::exchange::kReceive:
            return "Synchronised update changes from " + secondTitle + " into " + firstTitle;
        default:
            return "Synchronised updates exchanged between both " + firstTitle + " and " +
                   secondTitle;
    }
}

void SynchDM(Session& session) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    const std::string first =
        ChooseAccessFile(session, FileDialogRequest::Kind::Open,
                         "Select first Microsoft Access Design Master database", 4);
    if (first.empty())
        return;
    const std::string second =
        ChooseAccessFile(session, FileDialogRequest::Kind::Open,
                         "Select second Microsoft Access Design Master database", 4);
    if (second.empty())
        return;

    ReplicationState& replication = state.replication;
    const std::string firstCopy = BackupCopyPath(state, first);
    const std::string secondCopy = SecondBackupCopy(state, first, second);
    bool copiesMade = false;
    try {
        CloseForTool(session);
        replication.firstFileTitle = FilePart(first);
        replication.secondFileTitle = FilePart(second);
        PrepareBackupDirectory(session);
        CopyDatabaseFile(first, firstCopy);
        CopyDatabaseFile(second, secondCopy);
        copiesMade = true;
        ui.SetStatusText("created backup of " + firstCopy);
        ui.SetStatusText("created backup of " + secondCopy);
        ui.SetStatusText("Created backup of source database");
        ui.SetPointer(Pointer::Default);
        replication.synchronisationDirection = 4;
        replication.synchronisationDirection =
            ui.AskSynchronisationDirection(replication.firstFileTitle, replication.secondFileTitle);
        state.current.currentConnect.clear();
        ui.SetPointer(Pointer::Busy);
        if (!OpenForTool(session, first, false))
            return;  // the copies stay, as after any cancelled password prompt
        db::Synchronize(*state.current.currentDatabase, second,
                        replication.synchronisationDirection);
        if (state.current.databaseOpen)
            CloseDB(session);
        state.current.databaseOpen = false;
        DeleteBackupCopy(session, firstCopy);
        DeleteBackupCopy(session, secondCopy);
        if (RemoveBackupDirectory(session))
            ui.SetStatusText("backup directory deleted: " + BackupDirectory(state));
        OpenToolResult(session, second);
        ui.SetPointer(Pointer::Default);
        ui.SetStatusText(SynchronisedStatus(replication.synchronisationDirection,
                                            replication.firstFileTitle,
                                            replication.secondFileTitle));
    } catch (const std::exception& failure) {
        if (!ReportToolFailure(session, failure))
            return;
        if (copiesMade) {
            RestoreOriginals(session, first, firstCopy, second, secondCopy);
        } else {
            RemoveBackupDirectory(session);
        }
    }
}

}  // namespace tessel
