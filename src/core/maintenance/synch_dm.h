// Tools > Synchronise MDB DM files: exchanging the row changes between two members of one
// replica set in the direction chosen in the synchronisation options dialog. Both files are
// copied to the backup directory first and put back from their (repaired and compacted)
// copies when the exchange fails.
#pragma once

#include <string>

#include "core/session/session.h"

namespace tessel {

void SynchDM(Session& session);

// The final status of a successful exchange in `direction` between the two file titles.
std::string SynchronisedStatus(int direction, const std::string& firstTitle,
                               const std::string& secondTitle);

}  // namespace tessel
