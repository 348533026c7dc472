// The session layer: the shared state of one run and the current database. It offers opening
// a database by name and making it current (OpenCurrentDatabase, which returns or throws
// db::EngineError), closing, creating and refreshing, the connection types, and the standard
// error box that the command routines above use to report. It never includes the script,
// files, generate or maintenance layers, keeps no globals (the one SharedState lives in the
// Session that its owner hands to every routine), and its operations read nothing from the
// editor.
//
// A session: the shared state, the engine and the person's interface, together. The Qt
// program, the console program and the tests each own one and hand it to every routine.
#pragma once

#include "core/db/engine.h"
#include "core/session/shared_state.h"
#include "core/ui.h"

namespace tessel {

struct Session {
    explicit Session(Ui& ui) : ui(ui) {}
    Ui& ui;
    db::Engine engine;
    SharedState state;
};

}  // namespace tessel
