// The engine's part of the main window's load handler: the workspace, the type lists, the
// start values of the connection type, the time-outs and the export mode. The front ends call
// it once, after they made their panes and before they load the start script.
#pragma once

#include "core/session/session.h"

namespace tessel {

// Throws EngineError when a step fails; what was set until then stays set.
void InitializeSession(Session& session, const std::string& appPath);

}  // namespace tessel
