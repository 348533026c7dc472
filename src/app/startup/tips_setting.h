// The one setting kept between runs: "Show Tips at Startup" in group "Options" of the
// program's settings ("Tessel"), stored as the text of a whole number, read with default 1.
#pragma once

namespace tessel::app {

bool ShowTipsAtStartup();
void SetShowTipsAtStartup(bool show);

}  // namespace tessel::app
