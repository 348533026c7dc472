// Repairing a damaged single-file database in place.
#include <exception>

#include "core/engine/failures.h"
#include "core/engine/standard_error.h"
#include "core/maintenance/database_ops.h"

namespace tessel {

bool RepairNamedDatabase(Session& session, const std::string& name) {
    Ui& ui = session.ui;
    try {
        ui.SetPointer(Pointer::Busy);
        session.engine.RepairDatabase(name);
        ui.SetPointer(Pointer::Default);
        ui.SetStatusText(FilePart(name) + " repaired");
        return true;
    } catch (const std::exception& caught) {
        ui.SetPointer(Pointer::Default);
        const platform::EngineError error = AsEngineError(caught);
        if (error.Number() != platform::err::kDialogCancelled)
            ShowStandardError(ui, error);
        return false;
    }
}

void RepairDB(Session& session, const std::string& name, bool nameGiven) {
    SharedState& state = session.state;
    const std::string givenName = name;
    if (nameGiven) {
        state.currentDatabaseFileName = givenName;
    } else {
        FileDialogRequest& request = state.commonDialog;
        request.kind = FileDialogRequest::Kind::Open;
        request.flags = 4;  // hide the read-only box; the file need not exist
        request.title = "Select Microsoft Access file to repair";
        request.fileName = givenName;
        request.filter = "Microsoft Access files (*.mdb)|*.mdb";
        request.filterIndex = 1;
        request.initialDirectory = DocumentsDirectory();
        state.currentDatabaseFileName = session.ui.ChooseFile(request).value_or("");
    }
    session.ui.SetStatusText("");
    if (!state.currentDatabaseFileName.empty()) {
        RepairNamedDatabase(session, state.currentDatabaseFileName);
    }
}

}  // namespace tessel
