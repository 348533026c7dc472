#include "core/db/system_error.h"

#include <cerrno>

namespace tessel::db {

long SystemErrorNumber(int systemError, long otherwise) {
    switch (systemError) {
        case ENOENT:
        case ENOTDIR:
            return err::kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return err::kPermissionDenied;
        case ENOSPC:
        case EDQUOT:
            return err::kDiskFull;
        default:
            return otherwise;
    }
}

EngineError FromWriteError(const base::FileWriteError& error, long otherwise) {
    return EngineError(SystemErrorNumber(error.SystemError(), otherwise), error.what());
}

}  // namespace tessel::db
