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
