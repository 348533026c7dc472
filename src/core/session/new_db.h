// DBMAKE for file types: chooses between refusing, a new single-file database and a new
// directory database by the current connection type.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

void NewDB(Session& session, std::string& sDBName);

}  // namespace tessel
