// Taking the current database away, and reloading the tree from it.
#include <exception>
#include <optional>

#include "core/session/current_database.h"
#include "core/session/failures.h"
#include "core/session/standard_error.h"

namespace tessel {

void CloseDB(Session& session) {
    SharedState& state = session.state;
    Ui& ui = session.ui;
    if (!state.current.currentDatabase) {
        // Nothing is current, so nothing may claim to be open.
        state.current.databaseOpen = false;
        return;
    }
    ui.SetPointer(Pointer::Busy);
    // The database stops being current even when closing it fails, and the panes forget it
    // too: a half-closed database must never stay reachable.
    std::unique_ptr<db::Database> closing = std::move(state.current.currentDatabase);
    state.current.databaseOpen = false;
    std::optional<db::EngineError> failure;
    try {
        closing->Close();
    } catch (const std::exception& error) {
        failure = AsEngineError(error);
    }
    closing.reset();
    ui.ClearTree();
    ui.HideRecordsetView();
    ui.HideRecordsetList();
    ui.SetPointer(Pointer::Default);
    if (failure)
        ShowStandardError(ui, *failure);
}

void RefreshDB(Session& session) {
    Ui& ui = session.ui;
    try {
        ui.SetPointer(Pointer::Busy);
        ui.ReloadTree();
        ui.SetPointer(Pointer::Default);
    } catch (const std::exception& error) {
        ui.SetPointer(Pointer::Default);
        ShowStandardError(ui, AsEngineError(error));
    }
}

}  // namespace tessel
