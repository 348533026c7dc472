// The start-up entry: the splash window, the main window's load handler, then the main window
// when the splash timer fires.
#pragma once

namespace tessel::app {

int RunProgram(int argc, char** argv);

}  // namespace tessel::app
