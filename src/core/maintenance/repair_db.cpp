// Repairing a damaged single-file database in place.
#include "core/maintenance/repair_db.h"

#include "core/session/current_database.h"

namespace tessel {

void RepairDB(Session& session, const std::string& name, bool nameGiven) {
    SharedState& state = session.state;
    const std::string givenName = name;
    if (nameGiven) {
        state.current.currentDatabaseFileName = givenName;
    } else {
        FileDialogRequest& request = state.editor.commonDialog;
        request.kind = FileDialogRequest::Kind::Open;
        request.flags = 4;  // hide the read-only box; the file need not exist
        request.title = "Select Microsoft Access file to repair";
        request.fileName = givenName;
        request.filter = "Microsoft Access files (*.mdb)|*.mdb";
        request.filterIndex = 1;
        request.initialDirectory = DocumentsDirectory();
        state.current.currentDatabaseFileName = session.ui.ChooseFile(request).value_or("");
    }
    session.ui.SetStatusText("");
    if (!state.current.currentDatabaseFileName.empty()) {
        RepairNamedDatabase(session, state.current.currentDatabaseFileName);
    }
}

}  // namespace tessel
