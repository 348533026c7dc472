// Repairing one named file: the repair offer of OpenDB and Tools > Repair share it.
#include <exception>

#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

bool RepairNamedDatabase(Session& session, const std::string& name) {
    Ui& ui = session.ui;
    try {
        ui.SetPointer(Pointer::Busy);
        const std::vector<std::string> notes = session.engine.RepairDatabase(name);
        ui.SetPointer(Pointer::Default);
        // What each table kept and what was left out follow the name.
        std::string status = FilePart(name) + " repaired";
        for (const std::string& note : notes)
            status += "; " + note;
        ui.SetStatusText(status);
        return true;
    } catch (const std::exception& caught) {
        ui.SetPointer(Pointer::Default);
        const db::EngineError error = AsEngineError(caught);
        if (error.Number() != db::err::kDialogCancelled)
            ShowStandardError(ui, error);
        return false;
    }
}

}  // namespace tessel
