// A session: the shared state, the engine and the person's interface, together. The Qt
// program, the console program and the tests each own one and hand it to every routine.
#pragma once

#include "core/engine/shared_state.h"
#include "core/platform/engine.h"
#include "core/ui.h"

namespace tessel {

struct Session {
    explicit Session(Ui& ui) : ui(ui) {}
    Ui& ui;
    platform::Engine engine;
    SharedState state;
};

}  // namespace tessel
