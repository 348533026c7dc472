// The engine number for a failure the system reports by errno, so that a file that is missing
// or refused gives the same number whether the program, SQLite or the atomic writer met it.
#pragma once

#include "core/base/atomic_file.h"
#include "core/db/errors.h"

namespace tessel::db {

// kPathNotFound for a missing file or directory, kPermissionDenied for a refusal, kDiskFull for
// a full disk; `otherwise` for every other error (and for 0).
long SystemErrorNumber(int systemError, long otherwise);

// The writer's failure as an engine error with the number above and the writer's sentence.
EngineError FromWriteError(const base::FileWriteError& error, long otherwise);

}  // namespace tessel::db
