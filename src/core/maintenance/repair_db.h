// Tools > Repair and the RepairDB command: repairs a damaged single-file database in place,
// with the file chosen in a dialog when no name is given.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

void RepairDB(Session& session, const std::string& name, bool nameGiven);

}  // namespace tessel
