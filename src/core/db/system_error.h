// The engine number for a failure the system reports by errno, so that a file that is missing
// or refused gives the same number whether the program, SQLite or the atomic writer met it.
#pragma once

namespace tessel::db {

// kPathNotFound for a missing file or directory, kPermissionDenied for a refusal, kDiskFull for
// a full disk; `otherwise` for every other error (and for 0).
long SystemErrorNumber(int systemError, long otherwise);

}  // namespace tessel::db
