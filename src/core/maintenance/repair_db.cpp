// Repairing a damaged single-file database in place.
#include "core/maintenance/repair_db.h"

#include "core/session/current_database.h"

namespace tessel {

void RepairDB(Session& session, const std::string& name, bool nameGiven) {
    CurrentDatabaseState& current = session.state.current;
    std::string chosen = name;
    if (!nameGiven) {
        FileDialogRequest& request = session.state.editor.commonDialog;
        request.kind = FileDialogRequest::Kind::Open;
        request.flags = 4;  // hide the read-only box; the file need not exist
        request.title = "Select Microsoft Access file to repair";
        request.fileName = name;
        request.filter = "Microsoft Access files (*.mdb)|*.mdb";
        request.filterIndex = 1;
        request.initialDirectory = DocumentsDirectory();
        chosen = session.ui.ChooseFile(request).value_or("");
    }
    // An open database stays the current one: its name would otherwise point statements and
    // the tree at a file that is not the one open.
    const bool repairsCurrent = current.databaseOpen && chosen == current.currentDatabaseFileName;
    if (!current.databaseOpen)
        current.currentDatabaseFileName = chosen;
    session.ui.SetStatusText("");
    if (chosen.empty())
        return;
    // The tree shows the repaired file.
    if (RepairNamedDatabase(session, chosen) && repairsCurrent)
        RefreshDB(session);
}

}  // namespace tessel
