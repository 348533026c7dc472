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
        const std::vector<std::string> leftOut = session.engine.RepairDatabase(name);
        ui.SetPointer(Pointer::Default);
        std::string status = FilePart(name) + " repaired";
        for (std::size_t i = 0; i < leftOut.size(); ++i)
            status += (i == 0 ? "; left out: " : ", ") + leftOut[i];
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
